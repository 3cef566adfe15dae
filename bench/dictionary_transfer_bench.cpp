// The dictionary write (`kWriteDictionary`, 56 records) and the dictionary read (`kReadDictionary`,
// reading them back) against torvsim emulating wire time: the time the bytes need on the line at that
// rate divided by the time the operation took. 1.0 means the line is the only limit.

#include <cstdio>
#include <vector>

#include "bench/timed_operation.h"
#include "dictionary/dictionary_file.h"
#include "engine/operation_state.h"
#include "link/frames.h"
#include "tests/support/simulated_sensor.h"

namespace {

constexpr int kExchangeBytes = 8;  // a 4-byte command and a 4-byte reply
constexpr int kRuns = 3;

double Measure(const torv::test::SimulatedSensor& sensor, int code, int baudIndex, const std::string& name) {
    const int rate = torv::kBaudRates[static_cast<std::size_t>(baudIndex)];
    const std::size_t framesBefore = sensor.frames().size();
    const auto run = torv::bench::RunTimedOperation(sensor.port(), code, baudIndex, name);
    if (!run.completed) {
        return 0;
    }
    const auto exchanges = static_cast<double>(sensor.frames().size() - framesBefore);
    const double wire = torv::bench::WireSeconds(exchanges * kExchangeBytes, rate);
    std::printf("%-16s at %6d baud: %3.0f exchanges, wire time %.3f s, elapsed %.3f s, ratio %.3f\n",
                code == torv::kWriteDictionary ? "dictionary write" : "dictionary read", rate, exchanges,
                wire, run.elapsedSeconds, wire / run.elapsedSeconds);
    return wire / run.elapsedSeconds;
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
