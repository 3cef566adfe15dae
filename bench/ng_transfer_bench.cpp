// The NG data read (`kReadNgData`: one NG slot with its image, about 250 block reads of 256 bytes)
// against torvsim emulating wire time: the time the bytes need on the line at that rate divided by the
// time the operation took. 1.0 means the line is the only limit.

#include <cstdio>

#include "bench/timed_operation.h"
#include "engine/operation_state.h"
#include "link/frames.h"
#include "tests/support/simulated_sensor.h"

namespace {

constexpr int kCommandBytes = 4;    // command byte, two data bytes, checksum
constexpr int kWordReplyBytes = 4;  // ACK, two data bytes, checksum
constexpr int kBlockReplyBytes = 2 + torv::kBlockReplySize;
constexpr int kRuns = 3;

double Measure(int baudIndex, const std::string& name) {
    const int rate = torv::kBaudRates[static_cast<std::size_t>(baudIndex)];
    torv::test::SimulatedSensor sensor({"--wire-time", "--baud", std::to_string(rate)});
    const auto run = torv::bench::RunTimedOperation(sensor.port(), torv::kReadNgData, baudIndex, name);
    if (!run.completed) {
        return 0;
    }
    long bytes = 0;
    int blocks = 0;
    for (const std::string& frame : sensor.frames()) {
        const bool block = frame[0] == 'V';
        blocks += block ? 1 : 0;
        bytes += kCommandBytes + (block ? kBlockReplyBytes : kWordReplyBytes);
    }
    const double wire = torv::bench::WireSeconds(static_cast<double>(bytes), rate);
    std::printf("NG read at %6d baud: %d blocks, wire time %.3f s, elapsed %.3f s, ratio %.3f\n", rate,
                blocks, wire, run.elapsedSeconds, wire / run.elapsedSeconds);
    return wire / run.elapsedSeconds;
}

}  // namespace

int main() {
    torv::test::TempDir folder;
    for (int baudIndex : {4, 5}) {
        for (int run = 0; run < kRuns; ++run) {
            Measure(baudIndex, folder.file("bench"));
        }
    }
    return 0;
}
