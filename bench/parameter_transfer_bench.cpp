// A full parameter read and write against torvsim emulating wire time: the time the bytes need on
// the line at that rate divided by the time the operation took. 1.0 means the line is the only limit.

#include <chrono>
#include <cstdio>

#include "link/frames.h"
#include "operations/device_operations.h"
#include "params/parameter_file.h"
#include "tests/support/scripted_host.h"
#include "tests/support/simulated_sensor.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kBitsPerByte = 10;   // start bit, 8 data bits, stop bit
constexpr int kExchangeBytes = 8;  // a 4-byte command and a 4-byte reply
constexpr int kReadExchanges = 2 + 12 + 16 * 36;
constexpr int kWriteExchanges = 2 + 1 + 9 + 1 + 16 * 36 + 1;

double Measure(int code, int baudIndex, const std::string& name, int exchanges) {
    const int rate = torv::kBaudRates[static_cast<std::size_t>(baudIndex)];
    torv::test::SimulatedSensor sensor({"--wire-time", "--baud", std::to_string(rate)});
    torv::OperationState state;
    state.OperationCode = code;
    state.ComPortNumber = sensor.port();
    state.BaudIndex = baudIndex;
    state.OperationFileName = name;
    torv::test::ScriptedHost host;
    host.answers = {true};
    const auto start = Clock::now();
    const torv::OperationReport report = torv::RunOperationOfState(state, host);
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    if (report.outcome != torv::OperationOutcome::kCompleted) {
        std::fprintf(stderr, "%s\n", report.text.c_str());
        return 0;
    }
    const double wire = static_cast<double>(exchanges) * kExchangeBytes * kBitsPerByte / rate;
    std::printf("%-6s at %6d baud: wire time %.3f s, elapsed %.3f s, ratio %.3f\n",
                code == torv::kReadParameters ? "read" : "write", rate, wire, elapsed, wire / elapsed);
    return wire / elapsed;
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
