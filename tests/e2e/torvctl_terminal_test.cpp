// torvctl at a terminal: a bare Enter answers a question No; Ctrl-C at a question answers No at once;
// Ctrl-C, SIGTERM or SIGHUP during a transfer stop it at the next block, leave no file behind and exit
// with the signal's code.

#include <signal.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "params/parameter_file.h"
#include "tests/support/pty_pair.h"
#include "tests/support/simulated_sensor.h"

namespace torv {
namespace {

constexpr int kQuestionWaitMs = 10000;
constexpr int kFramesBeforeSignal = 30;

// Waits until the sensor has seen `count` frames (the transfer is under way).
bool WaitForFrames(const test::SimulatedSensor& sensor, std::size_t count) {
    for (int i = 0; i < 500; ++i) {
        if (sensor.frames().size() >= count) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

TEST(TorvctlTerminal, CtrlCAtAQuestionAbortsAtOnceAndSendsNothing) {
    test::TempDir files;
    ASSERT_EQ(SaveParameterFile(files.file("bank.torv"), InitialParameterSet()), SaveStatus::Saved);
    test::SimulatedSensor sensor;
    test::PtyPair terminal;
    test::RunningProgram torvctl(TORVCTL_PATH,
                                 {"--port", sensor.devicePath(), "params", "write", files.file("bank")},
                                 {{}, terminal.devicePath()});
    ASSERT_TRUE(torvctl.waitForError("Agree to overwrite TORV setting? [y/N]", kQuestionWaitMs));
    torvctl.signal(SIGINT);
    ASSERT_TRUE(torvctl.waitForError("Aborted.", kQuestionWaitMs));
    terminal.send({'\n'});  // an Enter typed after Ctrl-C must not carry on with the write
    const test::ProgramResult result = torvctl.finish();
    EXPECT_EQ(result.exitCode, 3) << result.err;
    EXPECT_TRUE(sensor.frames().empty());
}

// Every question overwrites something, so only a typed "y" goes on.
TEST(TorvctlTerminal, OnlyAYesGoesOnABareEnterAnswersNo) {
    test::TempDir files;
    ASSERT_EQ(SaveParameterFile(files.file("bank.torv"), InitialParameterSet()), SaveStatus::Saved);
    for (const std::string answer : {"\n", "no\n", "y\n"}) {
        test::SimulatedSensor sensor;
        test::PtyPair terminal;
        test::RunningProgram torvctl(TORVCTL_PATH,
                                     {"--port", sensor.devicePath(), "params", "write", files.file("bank")},
                                     {{}, terminal.devicePath()});
        ASSERT_TRUE(torvctl.waitForError("Agree to overwrite TORV setting? [y/N] ", kQuestionWaitMs));
        terminal.send(std::vector<std::uint8_t>(answer.begin(), answer.end()));
        const test::ProgramResult result = torvctl.finish();
        const bool yes = answer == "y\n";
        EXPECT_EQ(result.exitCode, yes ? 0 : 3) << answer << result.err;
        EXPECT_EQ(sensor.frames().empty(), !yes) << answer;
    }
}

// The read runs at 4800 baud with the line's own speed, so that it is still going when the signal
// comes.
TEST(TorvctlTerminal, StopSignalsDuringAReadLeaveNoFileAndExitWithTheirCode) {
    struct Case {
        int signal;
        int exitCode;
    };
    for (const Case c : {Case{SIGINT, 3}, Case{SIGTERM, 128 + SIGTERM}, Case{SIGHUP, 128 + SIGHUP}}) {
        test::TempDir files;
        test::SimulatedSensor sensor({"--baud", "4800", "--wire-time"});
        test::RunningProgram torvctl(TORVCTL_PATH, {"--port", sensor.devicePath(), "--baud", "4800", "params",
                                                    "read", files.file("bank")});
        ASSERT_TRUE(WaitForFrames(sensor, kFramesBeforeSignal)) << c.signal;
        torvctl.signal(c.signal);
        const test::ProgramResult result = torvctl.finish();
        EXPECT_EQ(result.exitCode, c.exitCode) << c.signal << result.err;
        EXPECT_EQ(result.err, "Aborted.\n") << c.signal;
        EXPECT_TRUE(test::ListFolder(files.path()).empty()) << c.signal;  // no file, no temporary
        EXPECT_LT(sensor.frames().size(), 590u) << c.signal;              // it stopped part-way
    }
}

}  // namespace
}  // namespace torv
