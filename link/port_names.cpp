#include "link/port_names.h"

#include <map>

namespace torv {

// Defined by the platform's backend.
std::string DefaultComPortDevicePath(int portNumber);

namespace {

std::map<int, std::string>& ChosenDevicePaths() {
    static std::map<int, std::string> paths;
    return paths;
}

}  // namespace

std::string ComPortDevicePath(int portNumber) {
    const auto& chosen = ChosenDevicePaths();
    if (const auto it = chosen.find(portNumber); it != chosen.end()) {
        return it->second;
    }
    return DefaultComPortDevicePath(portNumber);
}

std::string DescribeComPort(int portNumber) {
    const auto& chosen = ChosenDevicePaths();
    if (const auto it = chosen.find(portNumber); it != chosen.end()) {
        return it->second;
    }
    return "COM" + std::to_string(portNumber) + " (" + DefaultComPortDevicePath(portNumber) + ")";
}

void SetComPortDevicePath(int portNumber, const std::string& devicePath) {
    if (devicePath.empty()) {
        ChosenDevicePaths().erase(portNumber);
    } else {
        ChosenDevicePaths()[portNumber] = devicePath;
    }
}

}  // namespace torv
