#include "tests/support/small_file_system.h"

#include <sys/mount.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

namespace torv::test {
namespace {

constexpr std::size_t kPageBytes = 4096;

}  // namespace

SmallFileSystem::SmallFileSystem(std::size_t bytes, int inodes) {
    const std::string options = "size=" + std::to_string(bytes) + ",nr_inodes=" + std::to_string(inodes);
    m_mounted = geteuid() == 0 && mount("tmpfs", path().c_str(), "tmpfs", 0, options.c_str()) == 0;
}

SmallFileSystem::~SmallFileSystem() {
    if (m_mounted) {
        umount2(path().c_str(), MNT_DETACH);
    }
}

void SmallFileSystem::fill(std::size_t freeBytes) const {
    const std::string filler = file("filler");
    std::FILE* file = std::fopen(filler.c_str(), "wb");
    const std::vector<char> page(kPageBytes, 'f');
    std::setvbuf(file, nullptr, _IONBF, 0);
    while (std::fwrite(page.data(), 1, page.size(), file) == page.size()) {
    }
    std::fclose(file);
    const std::uintmax_t size = std::filesystem::file_size(filler);
    const std::size_t freed = (freeBytes + kPageBytes - 1) / kPageBytes * kPageBytes;
    std::filesystem::resize_file(filler, size > freed ? size - freed : 0);
}

void SmallFileSystem::useUpInodes() const {
    for (int n = 1;; ++n) {
        std::FILE* file = std::fopen(this->file("inode-" + std::to_string(n)).c_str(), "wb");
        if (file == nullptr) {
            return;
        }
        std::fclose(file);
    }
}

}  // namespace torv::test
