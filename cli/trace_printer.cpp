#include "cli/trace_printer.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "link/com_port.h"

namespace torv::cli {
namespace {

std::string TimeStamp() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &seconds);
#else
    localtime_r(&seconds, &local);
#endif
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d ", local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(millis));
    return text;
}

// One whole line per transfer, written at once, so that lines of ports running together never mix.
std::string TransferLine(TraceDirection direction, std::span<const std::uint8_t> bytes) {
    std::string line = direction == TraceDirection::kSent ? "-> " : "<- ";
    if (bytes.empty()) {
        line += "(nothing within the time-out)";
    }
    char hex[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(hex, sizeof hex, i == 0 ? "%02X" : " %02X", bytes[i]);
        line += hex;
    }
    return line + '\n';
}

}  // namespace

void StartTrace(std::function<std::string(int port)> portLabel) {
    SetComTrace([portLabel = std::move(portLabel)](int port, TraceDirection direction,
                                                   std::span<const std::uint8_t> bytes) {
        const std::string label = portLabel ? portLabel(port) + ' ' : std::string();
        std::fputs((TimeStamp() + label + TransferLine(direction, bytes)).c_str(), stderr);
    });
}

}  // namespace torv::cli
