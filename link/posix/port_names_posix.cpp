// Port numbers on POSIX: COMn is a symbolic link in the ports folder, or /dev/ttyS<n-1>.

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <span>
#include <string_view>

#include "link/network_port_name.h"
#include "link/port_names.h"

namespace torv {
namespace fs = std::filesystem;

namespace {

constexpr int kListedPorts = 9;  // the main window offers COM1..COM9

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return home;
    }
    const passwd* entry = getpwuid(getuid());
    return entry != nullptr ? entry->pw_dir : "/";
}

fs::path PortLink(int portNumber) {
    return fs::path(PortsFolder()) / ("COM" + std::to_string(portNumber));
}

bool IsLink(const fs::path& path) {
    std::error_code error;
    return fs::is_symlink(fs::symlink_status(path, error));
}

// What the link names: a device path (made absolute), or a network port name as written.
std::string LinkTarget(const fs::path& link) {
    std::error_code error;
    fs::path target = fs::read_symlink(link, error);
    if (error) {
        return link.string();
    }
    if (IsNetworkPortName(target.string())) {
        return target.string();
    }
    return (target.is_absolute() ? target : link.parent_path() / target).lexically_normal().string();
}

// A network port cannot be seen without connecting to its server; it counts as present.
bool Exists(const std::string& path) {
    std::error_code error;
    return IsNetworkPortName(path) || fs::exists(path, error);
}

// An 8250 port without hardware behind it reports type 0 ("unknown").
bool HasHardware(const std::string& name) {
    std::ifstream type("/sys/class/tty/" + name + "/type");
    int value = -1;
    return !(type >> value) || value != 0;
}

// "ttyUSB0": one of the prefixes followed by digits only.
bool IsNumberedName(std::string_view name, std::span<const std::string_view> prefixes) {
    for (std::string_view prefix : prefixes) {
        if (name.size() > prefix.size() && name.starts_with(prefix) &&
            name.find_first_not_of("0123456789", prefix.size()) == std::string_view::npos) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::string ConfigFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const fs::path base =
        (config != nullptr && *config != '\0') ? fs::path(config) : fs::path(HomeFolder()) / ".config";
    return (base / "torv").string();
}

std::string PortsFolder() {
    return (fs::path(ConfigFolder()) / "ports").string();
}

std::string DefaultComPortDevicePath(int portNumber) {
    const fs::path link = PortLink(portNumber);
    if (IsLink(link)) {
        // A device is opened through the link itself; a network port name is what the link holds.
        const std::string target = LinkTarget(link);
        return IsNetworkPortName(target) ? target : link.string();
    }
    return "/dev/ttyS" + std::to_string(portNumber - 1);
}

std::vector<PortMapEntry> ListPortMap() {
    std::vector<PortMapEntry> entries;
    for (int n = 1; n <= kMaxPortNumber; ++n) {
        const fs::path link = PortLink(n);
        const bool linked = IsLink(link);
        if (!linked && n > kListedPorts) {
            continue;
        }
        const std::string device = linked ? LinkTarget(link) : ComPortDevicePath(n);
        entries.push_back({n, device, linked, Exists(device)});
    }
    return entries;
}

std::vector<std::string> ListSerialDevices() {
    constexpr std::array<std::string_view, 7> kSerialPrefixes{"ttyS",     "ttyUSB", "ttyACM", "ttyAMA",
                                                              "ttyXRUSB", "ttymxc", "rfcomm"};
    std::vector<std::string> devices;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/dev", error)) {
        const std::string name = entry.path().filename().string();
        if (IsNumberedName(name, kSerialPrefixes) && HasHardware(name)) {
            devices.push_back(entry.path().string());
        }
    }
    std::sort(devices.begin(), devices.end());
    return devices;
}

std::optional<int> UsbLatencyTimerMs(const std::string& devicePath, const std::string& sysfsRoot) {
    std::error_code error;
    const fs::path device = fs::canonical(devicePath, error);
    if (error) {
        return std::nullopt;
    }
    std::ifstream timer(fs::path(sysfsRoot) / "class/tty" / device.filename() / "device/latency_timer");
    int milliseconds = -1;
    if (!(timer >> milliseconds) || milliseconds < 0) {
        return std::nullopt;
    }
    return milliseconds;
}

}  // namespace torv
