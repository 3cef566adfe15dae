#include "link/port_names.h"

#include <map>
#include <mutex>

namespace torv {

// Defined by the platform's backend.
std::string DefaultComPortDevicePath(int portNumber);

namespace {

// Ties are made and looked up from several threads when a fleet runs.
struct ChosenPaths {
    std::mutex mutex;
    std::map<int, std::string> paths;
};

ChosenPaths& ChosenDevicePaths() {
    static ChosenPaths chosen;
    return chosen;
}

}  // namespace

std::string ComPortDevicePath(int portNumber) {
    {
        ChosenPaths& chosen = ChosenDevicePaths();
        const std::lock_guard lock(chosen.mutex);
        if (const auto it = chosen.paths.find(portNumber); it != chosen.paths.end()) {
            return it->second;
        }
    }
    return DefaultComPortDevicePath(portNumber);
}

std::string DescribeComPort(int portNumber) {
    {
        ChosenPaths& chosen = ChosenDevicePaths();
        const std::lock_guard lock(chosen.mutex);
        if (const auto it = chosen.paths.find(portNumber); it != chosen.paths.end()) {
            return it->second;
        }
    }
    return "COM" + std::to_string(portNumber) + " (" + DefaultComPortDevicePath(portNumber) + ")";
}

void SetComPortDevicePath(int portNumber, const std::string& devicePath) {
    ChosenPaths& chosen = ChosenDevicePaths();
    const std::lock_guard lock(chosen.mutex);
    if (devicePath.empty()) {
        chosen.paths.erase(portNumber);
    } else {
        chosen.paths[portNumber] = devicePath;
    }
}

}  // namespace torv
