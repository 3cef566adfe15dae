// What a COM port is: without the setup API Windows tells only whether the port exists.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>

#include "link/port_names.h"

namespace torv {

std::string DescribeSerialDevice(const std::string& devicePath, const std::string&) {
    const std::string name = devicePath.substr(devicePath.find_last_of('\\') + 1);  // "\\.\COM3" -> "COM3"
    char target[256];
    return QueryDosDeviceA(name.c_str(), target, sizeof(target)) != 0 ? "COM port" : "no device";
}

}  // namespace torv
