#include "cli/trace_printer.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "link/com_port.h"

namespace torv::cli {
namespace {

void PrintTimeStamp() {
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
    std::fprintf(stderr, "%02d:%02d:%02d.%03d ", local.tm_hour, local.tm_min, local.tm_sec,
                 static_cast<int>(millis));
}

void PrintTransfer(int, TraceDirection direction, std::span<const std::uint8_t> bytes) {
    PrintTimeStamp();
    std::fputs(direction == TraceDirection::kSent ? "-> " : "<- ", stderr);
    if (bytes.empty()) {
        std::fputs("(nothing within the time-out)", stderr);
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::fprintf(stderr, i == 0 ? "%02X" : " %02X", bytes[i]);
    }
    std::fputc('\n', stderr);
}

}  // namespace

void StartTrace() {
    SetComTrace(PrintTransfer);
}

}  // namespace torv::cli
