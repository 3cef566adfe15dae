#include "files/in_place_write.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "files/temporary_file.h"

namespace torv {
namespace {

constexpr std::size_t kReadChunk = 64 * 1024;

// A failed call that left errno clear still failed.
int LastError() {
    return errno != 0 ? errno : EIO;
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::string& content) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    content.clear();
    std::array<char, kReadChunk> chunk{};
    for (std::size_t got = 0; (got = std::fread(chunk.data(), 1, chunk.size(), file)) > 0;) {
        content.append(chunk.data(), got);
    }
    const bool read = std::ferror(file) == 0;
    std::fclose(file);
    return read;
}

int OverwriteInPlace(const std::string& path, std::string_view content) {
    std::FILE* file = std::fopen(path.c_str(), "r+b");
    if (file == nullptr) {
        return LastError();
    }
    errno = 0;
    const bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size();
    int error = written && FlushToDisk(file) ? 0 : LastError();
    if (std::fclose(file) != 0 && error == 0) {
        error = LastError();
    }
    if (error != 0) {
        return error;
    }
    std::error_code cut;
    std::filesystem::resize_file(path, content.size(), cut);
    return cut.value();
}

int WriteInPlace(const std::string& path, std::string_view content, std::string_view previous) {
    const int error = OverwriteInPlace(path, content);
    if (error != 0) {
        OverwriteInPlace(path, previous);
    }
    return error;
}

}  // namespace torv
