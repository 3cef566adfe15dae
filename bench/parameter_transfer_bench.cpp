// A full parameter read and write against torvsim emulating wire time: the time the bytes need on
// the line at that rate divided by the time the operation took. 1.0 means the line is the only limit.

#include <cstdio>

#include "bench/timed_operation.h"
#include "engine/operation_state.h"
#include "link/frames.h"
#include "params/parameter_file.h"
#include "tests/support/simulated_sensor.h"

namespace {

constexpr int kExchangeBytes = 8;  // a 4-byte command and a 4-byte reply
constexpr int kReadExchanges = 2 + 12 + 16 * 36;
constexpr int kWriteExchanges = 2 + 1 + 9 + 1 + 16 * 36 + 1;

double Measure(int code, int baudIndex, const std::string& name, int exchanges) {
    const int rate = torv::kBaudRates[static_cast<std::size_t>(baudIndex)];
    torv::test::SimulatedSensor sensor({"--wire-time", "--baud", std::to_string(rate)});
    const auto run = torv::bench::RunTimedOperation(sensor.port(), code, baudIndex, name);
    if (!run.completed) {
        return 0;
    }
    const double wire = torv::bench::WireSeconds(static_cast<double>(exchanges) * kExchangeBytes, rate);
    std::printf("%-6s at %6d baud: wire time %.3f s, elapsed %.3f s, ratio %.3f\n",
                code == torv::kReadParameters ? "read" : "write", rate, wire, run.elapsedSeconds,
                wire / run.elapsedSeconds);
    return wire / run.elapsedSeconds;
}

}  // namespace

int main() {
    torv::test::TempDir folder;
    const std::string name = folder.file("bench");
    // Keep the sensor at its rate: the written set names no new rate (COMMUNIC 0).
    torv::SaveParameterFile(name + ".torv", torv::InitialParameterSet());
    for (int baudIndex : {4, 5}) {
        Measure(torv::kWriteParameters, baudIndex, name, kWriteExchanges);
        Measure(torv::kReadParameters, baudIndex, name, kReadExchanges);
    }
    return 0;
}
