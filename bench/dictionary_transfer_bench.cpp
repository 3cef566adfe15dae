// Operation 4 (56 records) and operation 10 (reading them back) against torvsim emulating wire time:
// the time the bytes need on the line at that rate divided by the time the operation took. 1.0 means
// the line is the only limit.

#include <chrono>
#include <cstdio>
#include <vector>

#include "dictionary/dictionary_file.h"
#include "link/frames.h"
#include "operations/device_operations.h"
#include "tests/support/scripted_host.h"
#include "tests/support/simulated_sensor.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kBitsPerByte = 10;   // start bit, 8 data bits, stop bit
constexpr int kExchangeBytes = 8;  // a 4-byte command and a 4-byte reply
constexpr int kRuns = 3;

double Measure(const torv::test::SimulatedSensor& sensor, int code, int baudIndex, const std::string& name) {
    const int rate = torv::kBaudRates[static_cast<std::size_t>(baudIndex)];
    const std::size_t framesBefore = sensor.frames().size();
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
    const auto exchanges = static_cast<double>(sensor.frames().size() - framesBefore);
    const double wire = exchanges * kExchangeBytes * kBitsPerByte / rate;
    std::printf("%-16s at %6d baud: %3.0f exchanges, wire time %.3f s, elapsed %.3f s, ratio %.3f\n",
                code == torv::kWriteDictionary ? "dictionary write" : "dictionary read", rate, exchanges,
                wire, elapsed, wire / elapsed);
    return wire / elapsed;
}

}  // namespace

int main() {
    torv::test::TempDir folder;
    const std::string name = folder.file("bench");
    std::vector<torv::DictionaryCharacter> characters;
    for (int i = 0; i < torv::kDictionaryMaxChars; ++i) {
        characters.push_back(
            {static_cast<std::uint8_t>('A' + i % 26), {0x7F, 0x41, 0x41, 0x7F, 0x41, 0x41, 0x41}});
    }
    torv::SaveDictionaryFile(name + ".dic4", characters);
    for (int baudIndex : {4, 5}) {
        const int rate = torv::kBaudRates[static_cast<std::size_t>(baudIndex)];
        torv::test::SimulatedSensor sensor({"--wire-time", "--baud", std::to_string(rate)});
        for (int run = 0; run < kRuns; ++run) {
            Measure(sensor, torv::kWriteDictionary, baudIndex, name);
            Measure(sensor, torv::kReadDictionary, baudIndex, name + "-read");
        }
    }
    return 0;
}
