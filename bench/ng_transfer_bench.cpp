// Operation 6 (one NG slot with its image, about 250 block reads of 256 bytes) against torvsim
// emulating wire time: the time the bytes need on the line at that rate divided by the time the
// operation took. 1.0 means the line is the only limit.

#include <chrono>
#include <cstdio>

#include "link/frames.h"
#include "operations/device_operations.h"
#include "tests/support/scripted_host.h"
#include "tests/support/simulated_sensor.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kBitsPerByte = 10;    // start bit, 8 data bits, stop bit
constexpr int kCommandBytes = 4;    // command byte, two data bytes, checksum
constexpr int kWordReplyBytes = 4;  // ACK, two data bytes, checksum
constexpr int kBlockReplyBytes = 2 + torv::kBlockReplySize;
constexpr int kRuns = 3;

double Measure(int baudIndex, const std::string& name) {
    const int rate = torv::kBaudRates[static_cast<std::size_t>(baudIndex)];
    torv::test::SimulatedSensor sensor({"--wire-time", "--baud", std::to_string(rate)});
    torv::OperationState state;
    state.OperationCode = torv::kReadNgData;
    state.ComPortNumber = sensor.port();
    state.BaudIndex = baudIndex;
    state.OperationFileName = name;
    state.NgDataNumber = 1;
    torv::test::ScriptedHost host;
    host.answers = {true};
    const auto start = Clock::now();
    const torv::OperationReport report = torv::RunOperationOfState(state, host);
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    if (report.outcome != torv::OperationOutcome::kCompleted) {
        std::fprintf(stderr, "%s\n", report.text.c_str());
        return 0;
    }
    long bytes = 0;
    int blocks = 0;
    for (const std::string& frame : sensor.frames()) {
        const bool block = frame[0] == 'V';
        blocks += block ? 1 : 0;
        bytes += kCommandBytes + (block ? kBlockReplyBytes : kWordReplyBytes);
    }
    const double wire = static_cast<double>(bytes) * kBitsPerByte / rate;
    std::printf("NG read at %6d baud: %d blocks, wire time %.3f s, elapsed %.3f s, ratio %.3f\n", rate,
                blocks, wire, elapsed, wire / elapsed);
    return wire / elapsed;
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
