// torvctl's questions: every command that would overwrite a file or the sensor's memory asks first, and
// without a "yes" (--no, no terminal, a bare Enter, Ctrl-C) sends nothing more and keeps every file.
// Ctrl-C, SIGTERM or SIGHUP during a transfer leave no file behind and exit with the signal's code.

#include <signal.h>

#include <gtest/gtest.h>

#include "dictionary/dictionary_file.h"
#include "params/parameter_file.h"
#include "tests/support/pty_pair.h"
#include "tests/support/simulated_sensor.h"

namespace torv {
namespace {

constexpr int kQuestionWaitMs = 10000;
constexpr int kFramesBeforeSignal = 30;

// Every file in the folder with its bytes.
std::vector<std::string> Snapshot(const test::TempDir& files) {
    std::vector<std::string> snapshot;
    for (const std::string& name : test::ListFolder(files.path())) {
        snapshot.push_back(name + ": " + test::ReadFileBytes(files.file(name)));
    }
    return snapshot;
}

const std::string kOverwrite = "Found same filename. Do you overwrite?";
const std::string kOverwriteSensor = "Agree to overwrite TORV setting?";
const std::string kSetClock = "Set the current time to the TORV built-in calendar. Do you agree?";
const std::string kAppend =
    "Found same filename of an expansion dictionary file. Do you agree to append data?";

// Each command meets its question after the frames it needs to know it must ask (a read of the NG ring
// or of the count it is about to append); NAME stands for the file, which exists before the run.
TEST(TorvctlQuestions, NoOrNoTerminalSendsNothingMoreAndKeepsTheFiles) {
    const struct {
        std::vector<std::string> command;
        std::string question;
        std::size_t frames;
    } cases[] = {
        {{"params", "write", "NAME"}, kOverwriteSensor, 0},
        {{"params", "read", "NAME"}, kOverwrite, 0},
        {{"clock", "set"}, kSetClock, 0},
        {{"dict", "write", "NAME"}, "Overwrite to the expansion dictionary of TORV. Do you agree?", 0},
        {{"dict", "read", "NAME"}, kOverwrite, 1},
        {{"dict", "recognized", "NAME"}, kAppend, 1},
        {{"dict", "from-ng", "NAME", "--ng", "1"}, kAppend, 6},
        {{"ng", "read", "NAME"}, kOverwrite, 3},
        {{"ng", "csv", "NAME"}, kOverwrite, 3},
        {{"exchange", "W", "1", "0"}, kOverwriteSensor, 0},
        {{"exchange", "T", "0", "0"}, kSetClock, 0},
    };
    for (const auto& c : cases) {
        for (const std::string answer : {"", "--no"}) {
            test::TempDir files;
            ASSERT_EQ(SaveParameterFile(files.file("f.torv"), InitialParameterSet()), SaveStatus::Saved);
            ASSERT_TRUE(
                SaveDictionaryFile(files.file("f.dic4"), std::vector<DictionaryCharacter>{{'A', {}}}));
            for (const char* other : {"f.bmp", "f.ng4", "f.csv"}) {
                test::WriteFileBytes(files.file(other), other);
            }
            const std::vector<std::string> before = Snapshot(files);
            test::SimulatedSensor sensor;
            std::vector<std::string> arguments{"--port", sensor.devicePath()};
            if (!answer.empty()) {
                arguments.push_back(answer);
            }
            for (const std::string& word : c.command) {
                arguments.push_back(word == "NAME" ? files.file("f") : word);
            }
            const test::ProgramResult result = test::RunTorvctl(arguments);
            EXPECT_EQ(result.exitCode, 3) << c.command[1] << answer << result.err;
            EXPECT_EQ(result.err, answer.empty()
                                      ? "torvctl: declined \"" + c.question +
                                            "\" (no terminal to ask; give --yes to agree)\nAborted.\n"
                                      : "Aborted.\n")
                << c.command[1];
            EXPECT_EQ(result.out, "");
            EXPECT_EQ(sensor.frames().size(), c.frames) << c.command[1];
            EXPECT_EQ(Snapshot(files), before) << c.command[1];
        }
    }
}

// torvctl started with descriptor 0, 1 or 2 closed does not hand it to the serial port: the sensor sees
// frames only and no question waits for its answer on the line. A stdout that takes nothing ends the
// command (the monitor included) with the reason.
TEST(TorvctlStandardStreams, ClosedOrFullStreamsNeverReachTheLine) {
    const std::string full = "torvctl: writing to stdout failed: No space left on device\n";
    const struct {
        std::string redirection;  // of the shell that starts torvctl
        std::vector<std::string> command;
        int exitCode;
        std::string err;  // all of it
        int frames;       // -1: at least one (the monitor polls until it stops)
    } cases[] = {
        {"0<&-",
         {"params", "read", "NAME"},
         3,
         "torvctl: declined \"" + kOverwrite + "\" (no terminal to ask; give --yes to agree)\nAborted.\n",
         0},
        {"1>&-", {"monitor", "--count", "3"}, 0, "", -1},
        {"2>&-", {"--yes", "--trace", "clock", "set"}, 0, "", 25},
        {">/dev/full", {"monitor"}, 5, full, -1},
        {">/dev/full", {"ports"}, 5, full, 0},
    };
    for (const auto& c : cases) {
        test::TempDir files;
        ASSERT_EQ(SaveParameterFile(files.file("f.torv"), InitialParameterSet()), SaveStatus::Saved);
        test::SimulatedSensor sensor;
        // A torvctl that waits on the line for an answer is stopped after 20 s (exit 124).
        std::vector<std::string> arguments{"-c", "exec timeout 20 \"$0\" \"$@\" " + c.redirection,
                                           TORVCTL_PATH, "--port", sensor.devicePath()};
        for (const std::string& word : c.command) {
            arguments.push_back(word == "NAME" ? files.file("f") : word);
        }
        const test::ProgramResult result = test::RunProgram("/bin/sh", arguments);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.redirection << result.err;
        EXPECT_EQ(result.err, c.err) << c.redirection;
        sensor.stopAndReadState();
        const std::size_t frames = sensor.frames().size();
        EXPECT_EQ(test::ReadLines(sensor.logPath()).size(), frames) << c.redirection << ": not a frame";
        EXPECT_TRUE(c.frames < 0 ? frames > 0 : frames == static_cast<std::size_t>(c.frames))
            << c.redirection << ": " << frames << " frames";
    }
}

// What the program has written to its terminal, once `text` is among it; empty after `timeoutMs`.
std::string WaitForTerminalText(test::PtyPair& terminal, std::string_view text, int timeoutMs) {
    constexpr int kSliceMs = 100;
    std::string seen;
    for (int waited = 0; waited < timeoutMs; waited += kSliceMs) {
        const std::vector<std::uint8_t> bytes = terminal.receive(256, kSliceMs);
        seen.append(bytes.begin(), bytes.end());
        if (seen.find(text) != std::string::npos) {
            return seen;
        }
    }
    return {};
}

// Every question overwrites something, so only a typed "y" goes on. Ctrl-C at the question aborts at
// once (empty: Ctrl-C), and an Enter typed after it must not carry on with the write. The question is
// asked on the controlling terminal, so a redirected stderr hides none.
TEST(TorvctlTerminal, OnlyAYesGoesOnABareEnterOrCtrlCAnswersNo) {
    test::TempDir files;
    ASSERT_EQ(SaveParameterFile(files.file("bank.torv"), InitialParameterSet()), SaveStatus::Saved);
    const std::string question = "Agree to overwrite TORV setting? [y/N] ";
    for (const std::string answer : {"\n", "no\n", "", "y\n"}) {
        test::SimulatedSensor sensor;
        test::PtyPair terminal;
        test::RunningProgram torvctl(TORVCTL_PATH,
                                     {"--port", sensor.devicePath(), "params", "write", files.file("bank")},
                                     terminal.devicePath());
        ASSERT_FALSE(WaitForTerminalText(terminal, question, kQuestionWaitMs).empty()) << answer;
        if (answer.empty()) {
            torvctl.signal(SIGINT);
            ASSERT_TRUE(torvctl.waitForError("Aborted.", kQuestionWaitMs));
            terminal.send({'\n'});
        } else {
            terminal.send(std::vector<std::uint8_t>(answer.begin(), answer.end()));
        }
        const test::ProgramResult result = torvctl.finish();
        const bool yes = answer == "y\n";
        EXPECT_EQ(result.exitCode, yes ? 0 : 3) << answer << result.err;
        EXPECT_EQ(result.err.find(question), std::string::npos) << result.err;
        EXPECT_EQ(sensor.frames().empty(), !yes) << answer;
    }
}

// The read runs at 4800 baud with the line's own speed, so that it is still going when the signal
// comes.
TEST(TorvctlTerminal, StopSignalsDuringAReadLeaveNoFileAndExitWithTheirCode) {
    for (const auto& [stopSignal, exitCode] :
         {std::pair{SIGINT, 3}, {SIGTERM, 128 + SIGTERM}, {SIGHUP, 128 + SIGHUP}}) {
        test::TempDir files;
        test::SimulatedSensor sensor({"--baud", "4800", "--wire-time"});
        test::RunningProgram torvctl(TORVCTL_PATH, {"--port", sensor.devicePath(), "--baud", "4800", "params",
                                                    "read", files.file("bank")});
        ASSERT_TRUE(sensor.waitForFrames(kFramesBeforeSignal)) << stopSignal;
        torvctl.signal(stopSignal);
        const test::ProgramResult result = torvctl.finish();
        EXPECT_EQ(result.exitCode, exitCode) << stopSignal << result.err;
        EXPECT_EQ(result.err, "Aborted.\n") << stopSignal;
        EXPECT_TRUE(test::ListFolder(files.path()).empty()) << stopSignal;  // no file, no temporary
        EXPECT_LT(sensor.frames().size(), 590u) << stopSignal;              // it stopped part-way
    }
}

// A write killed part-way (as by a power cut, here while it waits for a reply that never comes) leaves
// its note in the journal: every later run on that sensor says so first, with the command that
// restores it, until a write completes there.
TEST(TorvctlTerminal, AWriteKilledPartWayIsNamedByTheNextRunsUntilItIsRestored) {
    constexpr int kUnansweredWord = 50;
    test::TempDir files;
    const std::string bank = files.file("bank.torv");
    ASSERT_EQ(SaveParameterFile(bank, InitialParameterSet()), SaveStatus::Saved);
    test::SimulatedSensor sensor({"--fault", std::to_string(kUnansweredWord) + "=silence"});
    const std::string port = sensor.devicePath();
    test::RunningProgram killed(TORVCTL_PATH, {"--yes", "-p", port, "params", "write", bank});
    ASSERT_TRUE(sensor.waitForFrames(kUnansweredWord));
    killed.signal(SIGKILL);
    killed.finish();

    const auto read = test::RunTorvctl({"-p", port, "params", "read", files.file("now")});
    EXPECT_EQ(read.exitCode, 0) << read.err;
    EXPECT_EQ(read.err.rfind("Warning: The last write to the sensor on " + port + " did not finish: " + bank +
                                 " was being written into its parameter set on ",
                             0),
              0u)
        << read.err;
    const std::string restore = "torvctl -p " + port + " params write " + bank;
    EXPECT_NE(read.err.find(". To restore it, write that file again: " + restore + "\n"), std::string::npos)
        << read.err;

    const auto restored = test::RunTorvctl({"--yes", "-p", port, "params", "write", bank});
    EXPECT_EQ(restored.exitCode, 0) << restored.err;
    EXPECT_EQ(test::RunTorvctl({"-p", port, "params", "read", files.file("after")}).err, "");
}

}  // namespace
}  // namespace torv
