// The monitor against torvsim over a pty: every judgement the sensor sent lands in the result CSV line
// for line; torvctl's monitor and key commands, their limits, Ctrl-C and failures before the first
// exchange (the fault matrix fails them part-way).

#include <gtest/gtest.h>

#include <filesystem>

#include "link/frames.h"
#include "monitor/result_monitor.h"
#include "tests/support/judgement_log.h"
#include "tests/support/simulated_sensor.h"

namespace torv {
namespace {

using test::ReadFileBytes;
using test::RunProgram;

using test::CsvLines;
using test::SentJudgements;

// Stops the monitor after a number of judgements, noting what it showed.
struct CountingHost : MonitorHost {
    CountingHost(OperationState& s, int stopAfter) : state(s), limit(stopAfter) {}
    void showJudgement(const Judgement& judgement) override { shown.emplace_back(judgement.text()); }
    void showCount(int count) override {
        counts.push_back(count);
        if (static_cast<int>(counts.size()) >= limit) {
            state.AbortRequest = true;
        }
    }
    void pumpMessages() override { ++pumps; }

    OperationState& state;
    int limit;
    std::vector<std::string> shown;
    std::vector<int> counts;
    int pumps = 0;
};

TEST(Monitor, EveryJudgementSentLandsInTheCsvLineForLineAndStopClosesPortAndFile) {
    test::SimulatedSensor sensor({"--pace", "0", "--mix", "6,3,1"});
    OperationState state;
    state.ComPortNumber = sensor.port();
    ResultMonitor monitor(state);
    ASSERT_EQ(monitor.openLink(), kLinkOpened);
    ASSERT_TRUE(monitor.createCsv(sensor.folder().file("run")));
    CountingHost host(state, 40);
    EXPECT_EQ(RunMonitorLoop(monitor, state, host), MonitorEnd::kStopped);
    monitor.close();
    EXPECT_FALSE(monitor.csv().isOpen());
    // The port is free again: it opens exclusively.
    ASSERT_EQ(OpenLink(sensor.port(), kDefaultBaudIndex), kLinkOpened);
    CloseLink(sensor.port());

    const auto sent = SentJudgements(sensor.logPath());
    ASSERT_EQ(sent.size(), 40u);
    EXPECT_EQ(test::CsvProblem(sensor.folder().file("run.csv"), sent), "");
    for (std::size_t i = 0; i < sent.size(); ++i) {
        EXPECT_EQ(host.shown[i], sent[i].text);
        EXPECT_EQ(host.counts[i], static_cast<int>(i) + 1);
    }
    EXPECT_NE(std::find(host.shown.begin(), host.shown.end(), "--"), host.shown.end());
}

// Between judgements (the default pace) the sensor answers j = 0: nothing is shown or counted, and the
// loop lets pending input through after every poll.
TEST(Monitor, PollsWithoutNewJudgementShowNothing) {
    test::SimulatedSensor sensor;
    OperationState state;
    state.ComPortNumber = sensor.port();
    ResultMonitor monitor(state);
    ASSERT_EQ(monitor.openLink(), kLinkOpened);
    CountingHost host(state, 3);
    EXPECT_EQ(RunMonitorLoop(monitor, state, host), MonitorEnd::kStopped);
    monitor.close();
    EXPECT_EQ(host.counts, (std::vector<int>{1, 2, 3}));
    EXPECT_GT(host.pumps, 3);
    EXPECT_EQ(static_cast<int>(sensor.frames().size()), host.pumps);
}

using test::RunTorvctl;

// The tool's message on the first line of stderr; the facts behind it (`detail`) on the next.
void ExpectFailure(const test::ProgramResult& result, const std::string& message, const std::string& detail) {
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err.substr(0, message.size() + 1), message + "\n") << result.err;
    EXPECT_NE(result.err.find(detail, message.size()), std::string::npos) << result.err;
}

// Start replaces an existing CSV without asking; stdout has one line per judgement (judgement, count,
// best, numerical, alphabetic), agreeing with the CSV.
TEST(TorvctlMonitor, ReplacesTheCsvAndPrintsOneLinePerJudgement) {
    test::SimulatedSensor sensor({"--pace", "0"});
    const std::string name = sensor.folder().file("log");
    test::WriteFileBytes(name + ".csv", "lines of an earlier run\r\n");
    const auto result =
        RunTorvctl({"--port", sensor.devicePath(), "monitor", "--csv", name + ".csv", "--count", "5"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const auto sent = SentJudgements(sensor.logPath());
    EXPECT_EQ(test::CsvProblem(name + ".csv", sent), "");
    const auto printed = test::OutputLines(result.out);
    ASSERT_EQ(printed.size(), 5u);
    ASSERT_EQ(sent.size(), 5u);
    const auto csv = CsvLines(name + ".csv");
    for (std::size_t i = 0; i < printed.size(); ++i) {
        std::string best = csv[3 * i + 1].substr(0, csv[3 * i + 1].find(" ,"));
        best.erase(std::remove(best.begin(), best.end(), ','), best.end());
        EXPECT_EQ(printed[i].substr(0, printed[i].find('\t', 3) + 1),
                  sent[i].text + "\t" + std::to_string(i + 1) + "\t");
        EXPECT_EQ(printed[i].substr(printed[i].find('\t', 3) + 1, best.size() + 1), best + "\t");
    }
}

// --seconds and Ctrl-C stop cleanly (exit 0), every record complete.
TEST(TorvctlMonitor, SecondsAndCtrlCStopCleanly) {
    for (const bool interrupt : {false, true}) {
        test::SimulatedSensor sensor({"--pace", "20"});
        const std::string name = sensor.folder().file("timed");
        const std::vector<std::string> monitor{"--port", sensor.devicePath(), "monitor", "--csv", name};
        test::ProgramResult result;
        if (interrupt) {
            std::vector<std::string> arguments{"--preserve-status", "-s", "INT", "0.4", TORVCTL_PATH};
            arguments.insert(arguments.end(), monitor.begin(), monitor.end());
            result = RunProgram("/usr/bin/timeout", arguments);
        } else {
            std::vector<std::string> arguments = monitor;
            arguments.insert(arguments.end(), {"--seconds", "0.4"});
            result = RunTorvctl(arguments);
        }
        EXPECT_EQ(result.exitCode, 0) << interrupt << result.err;
        const auto sent = SentJudgements(sensor.logPath());
        EXPECT_GT(sent.size(), 3u) << interrupt;
        EXPECT_EQ(test::OutputLines(result.out).size(), sent.size()) << interrupt;
        EXPECT_EQ(test::CsvProblem(name + ".csv", sent), "");
    }
}

TEST(TorvctlMonitor, FailuresBeforeTheFirstPoll) {
    ExpectFailure(RunTorvctl({"--port", "/nonexistent/ttyTORV", "monitor"}), "Faild to open COM port.",
                  "/nonexistent/ttyTORV does not exist");
    test::SimulatedSensor sensor;
    std::filesystem::create_directory(sensor.folder().path() / "dir.csv");
    ExpectFailure(
        RunTorvctl({"--port", sensor.devicePath(), "monitor", "--csv", sensor.folder().file("dir")}),
        "Failed to create the file.", sensor.folder().file("dir.csv") + " is a folder");
    ExpectFailure(RunTorvctl({"--port", sensor.devicePath(), "monitor", "--csv", ""}),
                  "Please specify file name.", "--csv NAME");
    EXPECT_TRUE(sensor.frames().empty());
}

TEST(TorvctlKey, SendsOneKeyFrame) {
    test::SimulatedSensor sensor;
    const std::pair<const char*, const char*> keys[] = {
        {"SET", "P 04 00"},       {"EXIT", "P 08 00"}, {"VIEW", "P 10 00"}, {"VIEW+UP", "P 11 00"},
        {"view+down", "P 12 00"}, {"UP", "P 01 00"},   {"DOWN", "P 02 00"}};
    std::vector<std::string> expected;
    for (const auto& [name, frame] : keys) {
        const auto result = RunTorvctl({"--port", sensor.devicePath(), "key", name});
        EXPECT_EQ(result.exitCode, 0) << name << result.err;
        EXPECT_EQ(result.out, "");
        expected.emplace_back(frame);
    }
    EXPECT_EQ(sensor.frames(), expected);
    EXPECT_EQ(sensor.stopAndReadState().keys, (std::vector<int>{4, 8, 16, 17, 18, 1, 2}));
}

// A port that does not open, and usage mistakes: nothing sent (the fault matrix fails keys part-way).
TEST(TorvctlKey, FailuresAndUsage) {
    test::SimulatedSensor sensor;
    ExpectFailure(RunTorvctl({"--port", "/nonexistent/ttyTORV", "key", "SET"}), "Faild to open COM port.",
                  "/nonexistent/ttyTORV does not exist");
    EXPECT_EQ(RunTorvctl({"--port", sensor.devicePath(), "key", "SET", "ENTER"}).exitCode, 2);
    EXPECT_EQ(RunTorvctl({"--port", sensor.devicePath(), "key"}).exitCode, 2);
    EXPECT_TRUE(sensor.frames().empty());
}

// Several keys go out in order; the first one the sensor does not acknowledge ends the run and says which.
TEST(TorvctlKey, SendsSeveralKeysInOrderAndStopsAtTheFirstFailure) {
    test::SimulatedSensor sensor({"--fault", "5=silence"});
    const auto pressed = RunTorvctl({"--port", sensor.devicePath(), "key", "SET", "up", "UP", "EXIT"});
    EXPECT_EQ(pressed.exitCode, 0) << pressed.err;
    ExpectFailure(RunTorvctl({"--port", sensor.devicePath(), "key", "VIEW", "VIEW+UP"}),
                  "No communication response.", "Key 1 of 2 failed; the keys after it were not pressed.");
    EXPECT_EQ(sensor.frames(),
              (std::vector<std::string>{"P 04 00", "P 01 00", "P 01 00", "P 08 00", "P 10 00"}));
    EXPECT_EQ(sensor.stopAndReadState().keys, (std::vector<int>{4, 1, 1, 8}));
}

}  // namespace
}  // namespace torv
