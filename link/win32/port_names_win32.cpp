// Port numbers on Windows name the devices \\.\COM1 .. \\.\COM256 directly.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "link/port_names.h"

namespace torv {

namespace {
constexpr int kListedPorts = 9;
}

std::string PortsFolder() {
    return {};
}

std::string DefaultComPortDevicePath(int portNumber) {
    return "\\\\.\\COM" + std::to_string(portNumber);
}

std::vector<PortMapEntry> ListPortMap() {
    std::vector<PortMapEntry> entries;
    for (int n = 1; n <= kListedPorts; ++n) {
        entries.push_back({n, ComPortDevicePath(n), false, false});
    }
    return entries;
}

std::vector<std::string> ListSerialDevices() {
    std::vector<std::string> devices;
    char target[256];
    for (int n = 1; n <= kMaxPortNumber; ++n) {
        const std::string name = "COM" + std::to_string(n);
        if (QueryDosDeviceA(name.c_str(), target, sizeof(target)) != 0) {
            devices.push_back(name);
        }
    }
    return devices;
}

}  // namespace torv
