// Setting the sensor's calendar: the exact frames, progress and registers of the local time (the fault
// matrix runs its failures and checks the words it writes, and torvctl's questions are with the others').

#include <gtest/gtest.h>

#include "operations/device_operations.h"
#include "resources/strings.h"
#include "tests/support/scripted_host.h"
#include "tests/support/simulated_sensor.h"

namespace torv {
namespace {

std::tm NewYearsEveAfternoon() {
    std::tm time{};
    time.tm_year = 2026 - 1900;
    time.tm_mon = 11;
    time.tm_mday = 31;
    time.tm_hour = 14;
    time.tm_min = 5;
    time.tm_sec = 9;
    return time;
}

OperationReport RunClock(const test::SimulatedSensor& sensor, test::ScriptedHost& host) {
    OperationState state;
    state.OperationCode = kSetClock;
    state.ComPortNumber = sensor.port();
    return RunOperationOfState(state, host, NewYearsEveAfternoon);
}

TEST(ClockOperation, SendsTheTwentyFiveFramesOfTheLocalTime) {
    test::SimulatedSensor sensor;
    test::ScriptedHost host;
    const OperationReport report = RunClock(sensor, host);
    EXPECT_EQ(report.outcome, OperationOutcome::kCompleted);
    EXPECT_EQ(report.text, Text(StringId::kClockCompleted));
    std::vector<std::string> expected{"R 80 03"};
    expected.insert(expected.end(), 8, "W FF FF");
    for (const char* registerFrame :
         {"T 00 00", "T 01 00", "T 02 09", "T 03 05", "T 04 14", "T 05 31", "T 06 00", "T 07 12", "T 08 26",
          "T 09 00", "T 0A 00", "T 0B 00", "T 0C 00", "T 0D 00", "T 0E 00", "T 0F 00"}) {
        expected.emplace_back(registerFrame);
    }
    EXPECT_EQ(sensor.frames(), expected);
    EXPECT_EQ(host.statuses, std::vector<std::string>{std::string(Text(StringId::kSettingClock))});
    const std::vector<int> progress{0,   21,  42,  64,  85,  106, 128, 149, 170, 192, 213, 234, 256,
                                    277, 298, 320, 341, 362, 384, 405, 426, 448, 469, 490, 512, 512};
    EXPECT_EQ(host.progress, progress);
    EXPECT_EQ(sensor.stopAndReadState().calendar[4], 0x14);  // the fault matrix checks the other words
}

}  // namespace
}  // namespace torv
