#include "link/posix/port_holders.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string_view>

namespace torv {
namespace {

namespace fs = std::filesystem;

bool IsNumber(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

bool HoldsDevice(const fs::path& process, const fs::path& device) {
    std::error_code error;
    for (const auto& fd : fs::directory_iterator(process / "fd", error)) {
        std::error_code linkError;
        if (fs::read_symlink(fd.path(), linkError) == device) {
            return true;
        }
    }
    return false;
}

std::string ProgramName(const fs::path& process) {
    std::ifstream comm(process / "comm");
    std::string name;
    std::getline(comm, name);
    return name.empty() ? "a program" : name;
}

}  // namespace

std::string ProgramsHolding(const std::string& devicePath) {
    std::error_code error;
    const fs::path device = fs::canonical(devicePath, error);
    if (error) {
        return {};
    }
    const std::string self = std::to_string(getpid());
    std::string holders;
    for (const auto& entry : fs::directory_iterator("/proc", error)) {
        const std::string pid = entry.path().filename().string();
        if (!IsNumber(pid) || pid == self || !HoldsDevice(entry.path(), device)) {
            continue;
        }
        holders += (holders.empty() ? "" : ", ") + ProgramName(entry.path()) + " (pid " + pid + ")";
    }
    return holders;
}

}  // namespace torv
