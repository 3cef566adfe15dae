// torvctl's margin trend against torvsim: a fading print raises its alarm long before the first NG, live
// and from its log; a stable print with smudges raises none over 100 000 judgements and five wrapped
// logs. Then `trend` on hand-made logs: numbering across files, damaged or missing files, the baseline.

#include <png.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <regex>

#include "monitor/result_csv.h"
#include "monitor/result_monitor.h"
#include "tests/support/judgement_log.h"
#include "tests/support/simulated_sensor.h"

namespace torv {
namespace {

using nlohmann::json;
using test::RunTorvctl;

constexpr std::uint8_t kAlarmRed[3] = {220, 0, 0};  // the chart's alarm marks

// Whether the PNG at `path` decodes as a 1200-pixel-wide chart holding a pixel of the alarm colour.
// False, with a test failure, when it does not decode.
bool ChartShowsAnAlarm(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
        ADD_FAILURE() << path << " is no PNG";
        return false;
    }
    image.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) == 0) {
        png_image_free(&image);
        ADD_FAILURE() << path << " does not decode";
        return false;
    }
    EXPECT_EQ(image.width, 1200u);
    for (std::size_t i = 0; i + 2 < pixels.size(); i += 3) {
        if (std::equal(pixels.begin() + static_cast<std::ptrdiff_t>(i),
                       pixels.begin() + static_cast<std::ptrdiff_t>(i + 3), kAlarmRed)) {
            return true;
        }
    }
    return false;
}

// What `monitor --json --trend` printed: the judgement lines in order and the alarms between them.
struct MonitorStream {
    std::vector<json> judgements;
    std::vector<json> alarms;
    long long firstNg = 0;  // counts from 1; 0: none
};

MonitorStream ParseMonitorStream(const std::string& out) {
    MonitorStream stream;
    for (const std::string& line : test::OutputLines(out)) {
        const json value = json::parse(line);
        if (value.contains("alarm")) {
            // An alarm follows the judgement that raised it.
            EXPECT_EQ(value["alarm"]["judgement"], stream.judgements.size()) << line;
            stream.alarms.push_back(value["alarm"]);
            continue;
        }
        stream.judgements.push_back(value);
        if (value["judgement"] == "NG" && stream.firstNg == 0) {
            stream.firstNg = static_cast<long long>(stream.judgements.size());
        }
    }
    return stream;
}

// Position 3 fades over 4000 judgements after 1500 normal ones; from judgement 5501 on it reads
// nothing and every judgement is NG.
TEST(TorvctlTrend, AFadingPrintRaisesItsAlarmLongBeforeTheFirstNg) {
    constexpr long long kFade = 4000;
    test::SimulatedSensor sensor(
        {"--pace", "0", "--mix", "100,0,0", "--recognized", "ABC123", "--fade", "3,4000,1500"});
    const std::string name = sensor.folder().file("run");
    const auto monitor = RunTorvctl(
        {"--json", "--port", sensor.devicePath(), "monitor", "--trend", "--count", "6000", "--csv", name});
    ASSERT_EQ(monitor.exitCode, 0) << monitor.err;
    const MonitorStream stream = ParseMonitorStream(monitor.out);
    ASSERT_EQ(stream.judgements.size(), 6000u);
    ASSERT_EQ(stream.firstNg, 5501);  // the fade ran as set up
    ASSERT_FALSE(stream.alarms.empty()) << monitor.err;
    const json& first = stream.alarms.front();
    const json& raisedBy = stream.judgements[static_cast<std::size_t>(first["judgement"]) - 1];
    EXPECT_EQ(first["position"], 3);
    EXPECT_EQ(first["character"], std::string(raisedBy["characters"]).substr(2, 1));
    EXPECT_EQ(first["time"], raisedBy["time"]);
    EXPECT_LE(static_cast<long long>(first["judgement"]) + kFade / 2, stream.firstNg);
    for (const json& alarm : stream.alarms) {
        EXPECT_TRUE(alarm["position"] == 3 || alarm["judgement"] >= stream.firstNg) << alarm;
    }
    // The same alarm on stderr, as it fired.
    const std::string said = "torvctl: trend alarm at judgement " + std::to_string(int(first["judgement"])) +
                             ": Position 3 ('" + std::string(first["character"]) + "'): ";
    EXPECT_EQ(monitor.err.rfind(said, 0), 0u) << monitor.err;

    // The log gives the same trend afterwards.
    const auto trend =
        RunTorvctl({"--json", "trend", name + ".csv", "--png", sensor.folder().file("chart.png")});
    ASSERT_EQ(trend.exitCode, 0) << trend.err;
    EXPECT_EQ(trend.err, "");
    const json report = json::parse(trend.out);
    EXPECT_EQ(report["judgements"], 6000);
    EXPECT_EQ(report["ng"], 6000 - stream.firstNg + 1);
    ASSERT_FALSE(report["alarms"].empty());
    for (const char* field : {"judgement", "position", "rule", "character", "baseline", "level"}) {
        EXPECT_EQ(report["alarms"][0][field], first[field]) << field;
    }
    EXPECT_TRUE(ChartShowsAnAlarm(sensor.folder().file("chart.png")));
}

// A smudge every 3000 judgements on a stable print: NG exactly there, never an alarm, in the monitor or
// across the five logs its wraps left.
TEST(TorvctlTrend, AStableStreamWithSmudgesRaisesNoAlarmAcrossWraps) {
    constexpr int kJudgements = 100000;
    constexpr int kSmudgeEvery = 3000;
    test::SimulatedSensor sensor({"--pace", "0", "--mix", "97,0,3", "--smudge-every", "3000"});
    const std::string name = sensor.folder().file("stable");
    const auto monitor = RunTorvctl({"--port", sensor.devicePath(), "monitor", "--trend", "--count",
                                     std::to_string(kJudgements), "--csv", name});
    ASSERT_EQ(monitor.exitCode, 0) << monitor.err;
    EXPECT_EQ(monitor.err, "");  // no alarm
    const auto lines = test::OutputLines(monitor.out);
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kJudgements));
    int ng = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string judgement = lines[i].substr(lines[i].find('\t') + 1, 2);
        const bool smudge = (i + 1) % kSmudgeEvery == 0 && judgement != "--";
        EXPECT_EQ(judgement == "NG", smudge) << "judgement " << i + 1;
        ng += judgement == "NG" ? 1 : 0;
    }
    std::vector<std::string> logs;
    for (int part = 1; part <= kJudgements / kJudgementCountWrap; ++part) {
        char aside[32];
        std::snprintf(aside, sizeof aside, "-%04d.csv", part);
        logs.push_back(name + aside);
        EXPECT_EQ(test::CsvLines(logs.back()).size(), 3u * kJudgementCountWrap) << logs.back();
    }
    logs.push_back(name + ".csv");
    EXPECT_FALSE(std::filesystem::exists(name + "-0005.csv"));
    std::vector<std::string> arguments{"--json", "trend"};
    arguments.insert(arguments.end(), logs.begin(), logs.end());
    arguments.insert(arguments.end(), {"--png", sensor.folder().file("stable.png")});
    const auto trend = RunTorvctl(arguments);
    ASSERT_EQ(trend.exitCode, 0) << trend.err;
    const json report = json::parse(trend.out);
    EXPECT_EQ(report["judgements"], kJudgements);
    EXPECT_EQ(report["ng"], ng);
    EXPECT_EQ(report["alarms"], json::array());
    EXPECT_EQ(report["unread"], json::array());
    for (const json& position : report["positions"]) {
        EXPECT_EQ(position["alarm"], false) << position;
    }
    EXPECT_FALSE(ChartShowsAnAlarm(sensor.folder().file("stable.png")));
}

// torvsim's default stream judges about one product in eight NG, and its NG prints are of other, longer
// products too: a high rate that does not drift is no alarm, not even at the positions only NGs reach.
TEST(TorvctlTrend, AStreamWithManyNgsThatDoesNotDriftRaisesNoAlarm) {
    test::SimulatedSensor sensor({"--pace", "0", "--seed", "3"});
    const auto monitor =
        RunTorvctl({"--port", sensor.devicePath(), "monitor", "--trend", "--count", "60000"});
    ASSERT_EQ(monitor.exitCode, 0) << monitor.err;
    const auto lines = test::OutputLines(monitor.out);
    const auto ng = std::count_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.compare(line.find('\t') + 1, 2, "NG") == 0;
    });
    EXPECT_GT(ng, 60000 / 10);   // the NGs came as described
    EXPECT_EQ(monitor.err, "");  // no alarm
}

// `count` records of one character read with `difference`, logged a second apart from `second` seconds
// after 22:00.
std::string Record(const char* judgement, int difference, int second, int count = 1) {
    Judgement j;
    j.code = judgement[0] == 'O' ? kJudgedOk : judgement[0] == 'N' ? kJudgedNg : kJudgedOther;
    if (j.code != kJudgedOther) {
        j.characters.push_back(JudgedCharacter{'1', 'I', difference, difference + 30});
    }
    std::string lines;
    for (int at = second; at < second + count; ++at) {
        char time[40];
        std::snprintf(time, sizeof time, "Dec 05 2026 22:%02d:%02d.000", at / 60, at % 60);
        lines += ResultCsvLines(j, time);
    }
    return lines;
}

// The baseline learns 20 readings of 10; the first subgroup of 10 readings of 20 after it lifts the
// EWMA past its limit. The "--" in the first file and the file boundary do not change the numbering.
TEST(TorvctlTrendFiles, CountJudgementsAcrossFilesAndKeepTheLoggedTime) {
    test::TempDir files;
    test::WriteFileBytes(files.file("a.csv"),
                         Record("OK", 10, 1, 20) + Record("--", 0, 21) + Record("OK", 20, 22, 5));
    test::WriteFileBytes(files.file("b.csv"), Record("OK", 20, 27, 4) + Record("NG", 20, 31));
    const auto trend = RunTorvctl({"--json", "trend", files.file("a"), files.file("b"), "--baseline", "20"});
    ASSERT_EQ(trend.exitCode, 0) << trend.err;
    const json report = json::parse(trend.out);
    EXPECT_EQ(report["judgements"], 31);
    EXPECT_EQ(report["ng"], 1);
    ASSERT_EQ(report["positions"].size(), 1u);
    EXPECT_EQ(report["positions"][0]["readings"], 30);
    EXPECT_EQ(report["positions"][0]["baseline"], 10);
    EXPECT_EQ(report["positions"][0]["alarm"], true);
    ASSERT_EQ(report["alarms"].size(), 1u);
    EXPECT_EQ(report["alarms"][0]["judgement"], 31);
    EXPECT_EQ(report["alarms"][0]["character"], "1");
    EXPECT_EQ(report["alarms"][0]["rule"], "ewma");
    EXPECT_EQ(report["alarms"][0]["time"], "Dec 05 2026 22:00:31.000");
    const auto plain = RunTorvctl({"trend", files.file("a"), files.file("b"), "--baseline", "20"});
    EXPECT_NE(plain.out.find("\n  judgement 31 (Dec 05 2026 22:00:31.000): Position 1 ('1'): EWMA above its "
                             "limit, level "),
              std::string::npos)
        << plain.out;
    EXPECT_NE(plain.out.find("\n31 judgements, 1 NG (3.23%)\n"), std::string::npos) << plain.out;
}

// Each case run as text and as JSON: the exit code, what stderr says in text, and what the report
// counts when there is one.
TEST(TorvctlTrendFiles, DamagedMissingAndRefusedInputsAreNamed) {
    test::TempDir files;
    const std::string good = files.file("good");
    const std::string damaged = files.file("damaged.csv");
    const std::string notes = files.file("notes.csv");
    const std::string missing = files.file("missing.csv");
    const std::string records = Record("OK", 10, 1) + Record("OK", 11, 2);
    test::WriteFileBytes(good + ".csv", records);
    // Line 9 is a differences line cut short; line 14 starts a record that the file's end cuts short.
    test::WriteFileBytes(damaged, records + "OK,1,Dec 05 2026 22:00:03.000\r\n1, ,1, ,I,\r\n7\r\n" +
                                      Record("OK", 12, 4) + "OK,1,Dec 05 2026 22:00:05.000\r\n1, ,1,");
    test::WriteFileBytes(notes, "shopping: milk, eggs\n");
    const struct {
        std::vector<std::string> arguments;
        int exitCode;
        std::string err;  // a regular expression for all of stderr in text
        int judgements;   // in the JSON report; -1: none is printed
        std::vector<int> unreadLines;
    } cases[] = {
        {{good, damaged},
         0,
         "torvctl: " + damaged + ":9: .+ \\(skipped\\)\ntorvctl: " + damaged +
             ":14: the record ends early \\(skipped\\)\n",
         5,
         {9, 14}},
        {{good, missing},
         5,
         "torvctl: the result CSV " + missing + " could not be read\n" + missing + " does not exist.\n",
         -1,
         {}},
        {{files.file("notes")},
         5,
         "torvctl: " + notes + " is not a result CSV: .*\n" + notes + ":1: .+\n",
         -1,
         {}},
        {{good, "--baseline", "5"},
         2,
         "--baseline: 5 is not a baseline: give 20 to 100000 judgements \\(default 1000\\)\n.*\n",
         -1,
         {}},
        {{good, "--baseline", "100001"}, 2, "--baseline: 100001 is not a baseline: .*\n.*\n", -1, {}},
        {{good, "--baseline", "20"}, 0, "", 2, {}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments{"trend"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        const auto plain = RunTorvctl(arguments);
        EXPECT_EQ(plain.exitCode, c.exitCode) << c.arguments.back() << ": " << plain.err;
        EXPECT_TRUE(std::regex_match(plain.err, std::regex(c.err))) << plain.err;
        EXPECT_EQ(plain.out.empty(), c.judgements < 0) << plain.out;
        arguments.insert(arguments.begin(), "--json");
        const auto result = RunTorvctl(arguments);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.arguments.back();
        if (c.judgements < 0) {
            EXPECT_EQ(result.out, "");
            continue;
        }
        const json report = json::parse(result.out);
        EXPECT_EQ(report["judgements"], c.judgements);
        ASSERT_EQ(report["unread"].size(), c.unreadLines.size()) << result.out;
        for (std::size_t i = 0; i < c.unreadLines.size(); ++i) {
            EXPECT_EQ(report["unread"][i]["file"], damaged);
            EXPECT_EQ(report["unread"][i]["line"], c.unreadLines[i]);
            EXPECT_NE(plain.err.find(":" + std::to_string(c.unreadLines[i]) + ": " +
                                     std::string(report["unread"][i]["reason"]) + " (skipped)\n"),
                      std::string::npos);
        }
    }
}

}  // namespace
}  // namespace torv
