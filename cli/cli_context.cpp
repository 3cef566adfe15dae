#include "cli/cli_context.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <optional>

#include "cli/json_output.h"
#include "cli/standard_input_file.h"
#include "engine/write_journal.h"
#include "files/file_kind.h"
#include "link/com_device.h"
#include "link/frames.h"
#include "link/network_port_name.h"
#include "link/port_names.h"
#include "link/port_security.h"

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

std::string PortNameProblem(const std::string& name) {
    if (IsNetworkPortName(name)) {
        if (!ParseNetworkPortName(name)) {
            return "names no network port (rfc2217://HOST:PORT or rfc2217s://HOST:PORT)";
        }
        return NetworkPortsAvailable()
                   ? ""
                   : "is a network port, and this build has none (built without libgensio)";
    }
    const int number = ComNumber(name);
    if (number < 0 || number > kMaxPortNumber || (number == 0 && name.rfind("COM", 0) == 0)) {
        return "names no port (COM1 .. COM256, or a device path)";
    }
    return {};
}

int ComPortNumberOf(const std::string& name) {
    return std::max(0, ComNumber(name));
}

std::string BaudRateProblem(int rate) {
    if (BaudIndexOfRate(rate) >= 0) {
        return {};
    }
    return "is not a rate of the sensor (4800, 9600, 19200, 38400, 57600, 115200, 256000)";
}

void WarnOfUnfinishedWrite(int port) {
    static std::once_flag warned;  // a command that runs several operations says it once
    std::call_once(warned, [port] {
        if (const std::optional<UnfinishedWrite> write = FindUnfinishedWrite(port)) {
            std::cerr << "Warning: " << UnfinishedWriteNotice(*write) << '\n';
        }
    });
}

bool ResolveLinkTarget(const GlobalOptions& options, LinkTarget& target) {
    target.baudIndex = BaudIndexOfRate(options.baudRate);
    if (target.baudIndex < 0) {
        std::cerr << "torvctl: --baud " << options.baudRate << ' ' << BaudRateProblem(options.baudRate)
                  << '\n';
        return false;
    }
    if (const std::string problem = PortNameProblem(options.port); !problem.empty()) {
        std::cerr << "torvctl: --port " << options.port << ' ' << problem << '\n';
        return false;
    }
    const int number = ComPortNumberOf(options.port);
    if (number > 0) {
        target.port = number;
    } else {
        target.port = kDevicePathPort;
        SetComPortDevicePath(kDevicePathPort, options.port);
    }
    NoteJsonPort(options.port);
    WarnOfUnfinishedWrite(target.port);
    if (const std::string warning = UnencryptedPortWarning(ComPortDevicePath(target.port));
        !warning.empty()) {
        std::cerr << "torvctl: warning: " << warning << '\n';
    }
    return true;
}

bool SameFile(const std::string& a, const std::string& b) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::equivalent(a, b, error)) {
        return true;
    }
    std::error_code errorA;
    std::error_code errorB;
    const fs::path pathA = fs::weakly_canonical(a, errorA);
    const fs::path pathB = fs::weakly_canonical(b, errorB);
    if (errorA || errorB) {
        return fs::absolute(a, errorA).lexically_normal() == fs::absolute(b, errorB).lexically_normal();
    }
    return pathA == pathB;
}

std::string CommandBaseName(const std::string& name, int fileKind) {
    return RemoveKnownExtension(name, {FileKindExtension(fileKind)});
}

std::string CommandFileName(const std::string& name, int fileKind) {
    std::error_code missing;
    const bool stream =
        name == kStandardStreamName || (NamesStreamAsItIs(name) && std::filesystem::exists(name, missing));
    std::string file = stream                    ? StreamCopy(name, std::string(FileKindExtension(fileKind)))
                       : NamesStreamAsItIs(name) ? name  // "/dev/ttyUSB9 does not exist", not ".torv"
                                                 : MakeFilePath(CommandBaseName(name, fileKind), fileKind);
    NoteJsonFile(stream ? name : file);
    return file;
}

std::string CommandFileLabel(const std::string& name, int fileKind) {
    return name == kStandardStreamName || NamesStreamAsItIs(name) ? name : CommandFileName(name, fileKind);
}

}  // namespace torv::cli
