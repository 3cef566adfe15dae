#include "cli/trace_printer.h"

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

#include "link/com_port.h"
#include "link/trace_decoder.h"

namespace torv::cli {
namespace {

std::int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

}  // namespace

// The driver calls the sink one transfer at a time, so the decoders of the ports need no lock of their
// own. Each line is written whole, so that lines of ports running together never mix.
void StartTrace(std::function<std::string(int port)> portLabel) {
    auto decoders = std::make_shared<std::map<int, TraceDecoder>>();
    SetComTrace([portLabel = std::move(portLabel), decoders](int port, TraceDirection direction,
                                                             std::span<const std::uint8_t> bytes) {
        std::vector<TraceLine> lines;
        (*decoders)[port].add(NowMs(), direction, bytes, lines);
        const std::string label = portLabel ? portLabel(port) : std::string();
        for (const TraceLine& line : lines) {
            std::fputs((TraceLineText(line, label) + '\n').c_str(), stderr);
        }
    });
}

}  // namespace torv::cli
