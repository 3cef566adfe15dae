// Port numbers on Windows name the devices \\.\COM1 .. \\.\COM256 directly.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdlib>

#include "link/port_names.h"

namespace torv {

namespace {
constexpr int kListedPorts = 9;
}

std::string ConfigFolder() {
    const char* appData = std::getenv("APPDATA");
    return appData != nullptr && *appData != '\0' ? std::string(appData) + "\\torv" : std::string();
}

std::string PortsFolder() {
    return {};
}

std::string DefaultComPortDevicePath(int portNumber) {
    return "\\\\.\\COM" + std::to_string(portNumber);
}

namespace {

// A COM port exists when the system knows a device of that name.
bool ComPortPresent(int portNumber) {
    char target[256];
    const std::string name = "COM" + std::to_string(portNumber);
    return QueryDosDeviceA(name.c_str(), target, sizeof(target)) != 0;
}

}  // namespace

std::vector<PortMapEntry> ListPortMap() {
    std::vector<PortMapEntry> entries;
    for (int n = 1; n <= kListedPorts; ++n) {
        entries.push_back({n, ComPortDevicePath(n), false, ComPortPresent(n)});
    }
    return entries;
}

std::optional<int> UsbLatencyTimerMs(const std::string&, const std::string&) {
    return std::nullopt;
}

std::vector<std::string> ListSerialDevices() {
    std::vector<std::string> devices;
    for (int n = 1; n <= kMaxPortNumber; ++n) {
        if (ComPortPresent(n)) {
            devices.push_back("COM" + std::to_string(n));
        }
    }
    return devices;
}

}  // namespace torv
