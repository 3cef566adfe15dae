#include "sim/port_link.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace torv::sim {

namespace fs = std::filesystem;

std::string PortsFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    fs::path base;
    if (config != nullptr && config[0] != '\0') {
        base = config;
    } else {
        const char* home = std::getenv("HOME");
        base = fs::path(home != nullptr ? home : ".") / ".config";
    }
    return (base / "torv" / "ports").string();
}

bool IsPortLinkName(const std::string& name) {
    constexpr std::string_view kPrefix = "COM";
    if (name.size() <= kPrefix.size() || name.compare(0, kPrefix.size(), kPrefix) != 0) {
        return false;
    }
    return name.find_first_not_of("0123456789", kPrefix.size()) == std::string::npos;
}

bool PortLink::create(const std::string& name, const std::string& target) {
    std::error_code error;
    const fs::path folder = PortsFolder();
    fs::create_directories(folder, error);
    if (error) {
        return false;
    }
    const fs::path link = folder / name;
    fs::remove(link, error);
    fs::create_symlink(target, link, error);
    if (error) {
        return false;
    }
    m_path = link.string();
    m_target = target;
    return true;
}

void PortLink::remove() {
    if (m_path.empty()) {
        return;
    }
    std::error_code error;
    if (fs::is_symlink(m_path, error) && fs::read_symlink(m_path, error).string() == m_target) {
        fs::remove(m_path, error);
    }
    m_path.clear();
}

}  // namespace torv::sim
