// What a COM port is: without the setup API Windows tells only whether the port exists.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>

#include "link/port_names.h"

namespace torv {

std::string DescribeSerialDevice(const std::string& devicePath, const std::string&) {
    constexpr const char* kComPrefix = "\\\\.\\";
    if (devicePath.rfind(kComPrefix, 0) != 0) {
        // A port tied to another device (a test's simulated sensor under wine): whether it is there.
        // Wine finds a terminal on its Z: drive but tells no attributes of it.
        WIN32_FIND_DATAA found;
        const HANDLE search = FindFirstFileA(devicePath.c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) {
            return "no device";
        }
        FindClose(search);
        return "serial device";
    }
    const std::string name = devicePath.substr(4);  // "\\.\COM3" -> "COM3"
    char target[256];
    return QueryDosDeviceA(name.c_str(), target, sizeof(target)) != 0 ? "COM port" : "no device";
}

}  // namespace torv
