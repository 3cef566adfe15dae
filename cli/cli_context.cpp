#include "cli/cli_context.h"

#include <charconv>
#include <iostream>

#include "files/file_kind.h"
#include "link/frames.h"
#include "link/port_names.h"

namespace torv::cli {
namespace {

// Port number for --port PATH; COM1..COM9 stay what the ports folder says.
constexpr int kDevicePathPort = kMaxPortNumber;

// "COM7" -> 7; 0 when the text is not COM followed by a number.
int ComNumber(const std::string& text) {
    if (text.size() < 4 || (text.compare(0, 3, "COM") != 0 && text.compare(0, 3, "com") != 0)) {
        return 0;
    }
    int number = 0;
    const char* end = text.data() + text.size();
    const auto [next, error] = std::from_chars(text.data() + 3, end, number);
    return (error == std::errc{} && next == end) ? number : -1;
}

}  // namespace

bool ResolveLinkTarget(const GlobalOptions& options, LinkTarget& target) {
    target.baudIndex = BaudIndexOfRate(options.baudRate);
    if (target.baudIndex < 0) {
        std::cerr << "torvctl: --baud " << options.baudRate
                  << " is not a rate of the sensor (4800, 9600, 19200, 38400, 57600, 115200, 256000)\n";
        return false;
    }
    const int number = ComNumber(options.port);
    if (number < 0 || number > kMaxPortNumber || (number == 0 && options.port.rfind("COM", 0) == 0)) {
        std::cerr << "torvctl: --port " << options.port
                  << " names no port (COM1 .. COM256, or a device path)\n";
        return false;
    }
    if (number > 0) {
        target.port = number;
    } else {
        target.port = kDevicePathPort;
        SetComPortDevicePath(kDevicePathPort, options.port);
    }
    return true;
}

std::string CommandBaseName(const std::string& name, int fileKind) {
    return RemoveKnownExtension(name, {FileKindExtension(fileKind)});
}

std::string CommandFileName(const std::string& name, int fileKind) {
    return MakeFilePath(CommandBaseName(name, fileKind), fileKind);
}

}  // namespace torv::cli
