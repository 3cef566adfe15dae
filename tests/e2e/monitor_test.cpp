// torvctl's monitor and key commands against torvsim over a pty: every judgement the sensor sent lands
// in the result CSV line for line and on stdout, the limits and Ctrl-C stop cleanly, and the keys' frames
// (the fault matrix fails and stops both part-way; torvctl_errors_test fails them before the first frame).

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>

#include "tests/support/judgement_log.h"
#include "tests/support/simulated_sensor.h"
#include "tests/support/small_file_system.h"

namespace torv {
namespace {

using test::RunTorvctl;
using test::SentJudgements;

// Start makes the CSV anew without asking, and the earlier log goes to log-0001.csv byte for byte, also
// when the sensor never answers (a wrong rate); the empty log that run left is not kept. stdout has one
// line per judgement (judgement, count, best, ...), agreeing with the CSV, "--" judgements among them.
TEST(TorvctlMonitor, KeepsTheEarlierCsvAndPrintsOneLinePerJudgement) {
    test::SimulatedSensor sensor({"--pace", "0", "--mix", "6,3,1"});
    const std::string name = sensor.folder().file("log");
    const std::string earlier = "OK,1,Dec 05 2026 22:11:46.123\r\nlines of an earlier run\r\n";
    test::WriteFileBytes(name + ".csv", earlier);
    const auto wrongRate = RunTorvctl(
        {"--port", sensor.devicePath(), "--baud", "9600", "monitor", "--csv", name, "--count", "1"});
    EXPECT_EQ(wrongRate.exitCode, 1) << wrongRate.err;
    EXPECT_EQ(test::ReadFileBytes(name + "-0001.csv"), earlier);
    EXPECT_EQ(test::ReadFileBytes(name + ".csv"), "");
    const auto result =
        RunTorvctl({"--port", sensor.devicePath(), "monitor", "--csv", name + ".csv", "--count", "12"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_FALSE(std::filesystem::exists(name + "-0002.csv"));
    const auto sent = SentJudgements(sensor.logPath());
    EXPECT_EQ(test::CsvProblem(name + ".csv", sent), "");
    const auto printed = test::OutputLines(result.out);
    ASSERT_EQ(printed.size(), 12u);
    ASSERT_EQ(sent.size(), 12u);
    EXPECT_TRUE(std::any_of(sent.begin(), sent.end(), [](const auto& j) { return j.text == "--"; }));
    const auto csv = test::CsvLines(name + ".csv");
    // Each line starts with the PC time (ISO 8601, milliseconds and zone), in the order of the lines.
    const std::regex isoTime(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}[+-]\d\d:\d\d\t.*)");
    std::string previousTime;
    for (std::size_t i = 0; i < printed.size(); ++i) {
        ASSERT_TRUE(std::regex_match(printed[i], isoTime)) << printed[i];
        const std::string time = printed[i].substr(0, printed[i].find('\t'));
        EXPECT_LE(previousTime, time);
        previousTime = time;
        const std::string fields = printed[i].substr(time.size() + 1);
        std::string best = csv[3 * i + 1].substr(0, csv[3 * i + 1].find(" ,"));
        best.erase(std::remove(best.begin(), best.end(), ','), best.end());
        EXPECT_EQ(fields.substr(0, fields.find('\t', 3) + 1),
                  sent[i].text + "\t" + std::to_string(i + 1) + "\t");
        EXPECT_EQ(fields.substr(fields.find('\t', 3) + 1, best.size() + 1), best + "\t");
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
            result = test::RunProgram("/usr/bin/timeout", arguments);
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

// A CSV the disk cannot take any more stops the monitor with the file and the reason; every judgement
// before is in it whole.
TEST(TorvctlMonitor, AFullDiskStopsTheMonitorNamingTheFile) {
    constexpr std::size_t kOnePage = 4096;
    constexpr int kFewInodes = 8;
    test::SmallFileSystem disk(kOnePage, kFewInodes);
    if (!disk.mounted()) {
        GTEST_SKIP() << "a small file system is mounted only by root";
    }
    test::SimulatedSensor sensor({"--pace", "0"});
    const auto result =
        RunTorvctl({"--port", sensor.devicePath(), "monitor", "--csv", disk.file("log"), "--seconds", "30"});
    EXPECT_EQ(result.exitCode, 5);  // a file's failure
    EXPECT_EQ(result.err, disk.file("log.csv") +
                              " could not be written: No space left on device.\n"
                              "Every judgement before this one is in the file.\n");
    sensor.stopAndReadState();  // its log is complete
    auto sent = SentJudgements(sensor.logPath());
    ASSERT_GT(sent.size(), 1U);
    sent.pop_back();  // the one the disk could not take
    EXPECT_EQ(test::CsvProblem(disk.file("log.csv"), sent), "");
}

// Every key's frame, in order (names in any case); the first key the sensor does not acknowledge ends the
// run and says which (its message and exit code are the fault matrix's Keys rows).
TEST(TorvctlKey, SendsEachKeysFrameAndStopsAtTheFirstFailure) {
    test::SimulatedSensor sensor({"--fault", "8=silence"});
    const auto pressed = RunTorvctl(
        {"--port", sensor.devicePath(), "key", "SET", "EXIT", "VIEW", "VIEW+UP", "view+down", "UP", "down"});
    EXPECT_EQ(pressed.exitCode, 0) << pressed.err;
    EXPECT_EQ(pressed.out, "");
    const auto failed = RunTorvctl({"--port", sensor.devicePath(), "key", "VIEW", "VIEW+UP"});
    EXPECT_NE(failed.err.find("\nKey 1 of 2 failed; the keys after it were not pressed."), std::string::npos)
        << failed.err;
    EXPECT_EQ(sensor.frames(), (std::vector<std::string>{"P 04 00", "P 08 00", "P 10 00", "P 11 00",
                                                         "P 12 00", "P 01 00", "P 02 00", "P 10 00"}));
    EXPECT_EQ(sensor.stopAndReadState().keys, (std::vector<int>{4, 8, 16, 17, 18, 1, 2}));
}

}  // namespace
}  // namespace torv
