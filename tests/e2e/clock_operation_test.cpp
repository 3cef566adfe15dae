// Setting the sensor's calendar: the exact frames, failures, and torvctl's clock command.

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
    const std::vector<int> progress{0,   0,   21,  42,  64,  85,  106, 128, 149, 170, 192, 213, 234, 256,
                                    277, 298, 320, 341, 362, 384, 405, 426, 448, 469, 490, 512, 512};
    EXPECT_EQ(host.progress, progress);
    const auto state = sensor.stopAndReadState();
    for (int word = 896; word <= 903; ++word) {
        EXPECT_EQ(state.word(word), 0xFFFF) << word;
    }
    EXPECT_EQ(state.calendar[4], 0x14);
}

TEST(ClockOperation, SilentSensorFailsAtTheFirstExchangeAndWritesNothing) {
    test::SimulatedSensor sensor({"--fault", "1+=silence"});
    test::ScriptedHost host;
    const OperationReport report = RunClock(sensor, host);
    EXPECT_EQ(report.outcome, OperationOutcome::kFailed);
    EXPECT_EQ(report.text, "No communication response.");
    EXPECT_EQ(sensor.frames(), std::vector<std::string>{"R 80 03"});
    const auto state = sensor.stopAndReadState();
    EXPECT_EQ(state.word(896), 0);
    EXPECT_EQ(state.calendar, (std::array<int, 16>{}));
}

TEST(ClockOperation, FailureAfterSomeRegistersStopsThere) {
    test::SimulatedSensor sensor({"--fault", "12=checksum"});
    test::ScriptedHost host;
    EXPECT_EQ(RunClock(sensor, host).text, "Error in checking sum of communication.");
    EXPECT_EQ(sensor.frames().size(), 12u);
}

TEST(TorvctlClock, SetsTheCalendarOnlyWhenAgreed) {
    struct Case {
        std::vector<std::string> flags;
        int exitCode;
        std::size_t frames;
        const char* errorContains;
    };
    const Case cases[] = {
        {{"--yes"}, 0, 25, ""},
        {{"--no"}, 3, 0, "Aborted."},
        {{}, 3, 0, "declined \"Set the current time to the TORV built-in calendar. Do you agree?\""},
    };
    for (const Case& c : cases) {
        test::SimulatedSensor sensor;
        std::vector<std::string> arguments = c.flags;
        arguments.insert(arguments.end(), {"--port", sensor.devicePath(), "clock", "set"});
        const auto result = test::RunProgram(TORVCTL_PATH, arguments);
        EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
        EXPECT_EQ(sensor.frames().size(), c.frames);
        EXPECT_NE(result.err.find(c.errorContains), std::string::npos) << result.err;
        if (c.exitCode == 0) {
            EXPECT_EQ(result.out, std::string(Text(StringId::kClockCompleted)) + "\n");
        }
    }
}

}  // namespace
}  // namespace torv
