// torvctl for scripts: --json output parsed field by field against what the plain output and the
// sensor say, failures as one JSON object on stderr, `-` and /dev/stdin as file names, the progress
// line on a dumb terminal, and a monitor log continued with --append.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <regex>

#include "params/parameter_file.h"
#include "tests/support/judgement_log.h"
#include "tests/support/pty_pair.h"
#include "tests/support/simulated_sensor.h"

namespace torv {
namespace {

using nlohmann::json;
using test::RunTorvctl;

// The one JSON value on a line of its own that the text must be; a test failure otherwise.
json ParsedLine(const std::string& text) {
    EXPECT_TRUE(!text.empty() && text.back() == '\n' && std::count(text.begin(), text.end(), '\n') == 1)
        << text;
    return json::parse(text, nullptr, false);
}

// torvctl run through the shell, for redirections and <(...).
test::ProgramResult RunShell(const std::string& commandLine,
                             const std::vector<std::string>& environment = {}) {
    return test::RunProgram("/bin/bash", {"-c", commandLine}, environment);
}

class TorvctlJson : public ::testing::Test {
  protected:
    void SetUp() override {
        ParameterSet set = InitialParameterSet();
        set.bank[3][2] = 12345;  // a word no parameter shows in full, for the diff
        ASSERT_EQ(SaveParameterFile(m_base + ".torv", set), SaveStatus::Saved);
        ASSERT_EQ(SaveParameterFile(m_other + ".torv", InitialParameterSet()), SaveStatus::Saved);
        ASSERT_EQ(RunTorvctl({"params", "set", m_other, "--bank", "3", "SHUTTER=90"}).exitCode, 0);
    }
    test::TempDir m_files;
    const std::string m_base = m_files.file("base");
    const std::string m_other = m_files.file("other");
};

// Every parameter of the plain listing, with its block, is one JSON entry with the same value; the raw
// bits are the word's bits of the field.
TEST_F(TorvctlJson, ParamsShowAndGetGiveThePlainValuesFieldByField) {
    const auto plain = RunTorvctl({"params", "show", m_base});
    const auto result = RunTorvctl({"--json", "params", "show", m_base});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const json shown = ParsedLine(result.out);
    EXPECT_EQ(shown["file"], m_base + ".torv");
    std::map<std::string, std::string> plainValues;  // "Bank 3 SHUTTER" -> "70"
    std::string block;
    for (const std::string& line : test::OutputLines(plain.out)) {
        if (line.starts_with("[")) {
            block = line == "[Common]" ? "Common" : line.substr(1, line.size() - 2);
        } else if (const auto equals = line.find(" = "); equals != std::string::npos && !block.empty()) {
            plainValues[block + " " + line.substr(0, equals)] = line.substr(equals + 3);
        }
    }
    ASSERT_EQ(shown["parameters"].size(), plainValues.size());
    const ParameterSet set = LoadParameterFile(m_base + ".torv").set;
    for (const json& parameter : shown["parameters"]) {
        const std::string name =
            (parameter["bank"].is_null() ? std::string("Common")
                                         : "Bank " + std::to_string(int(parameter["bank"]))) +
            " " + std::string(parameter["key"]);
        EXPECT_EQ(parameter["value"], plainValues[name]) << name;
        if (!parameter["raw"].is_null()) {
            const int word = parameter["word"];
            const std::int32_t stored =
                parameter["bank"].is_null() ? set.common[word] : set.bank[int(parameter["bank"])][word];
            const unsigned mask = (1u << int(parameter["bits"])) - 1;
            EXPECT_EQ(parameter["raw"],
                      (static_cast<std::uint32_t>(stored) >> int(parameter["first_bit"])) & mask)
                << name;
        }
    }
    const auto get = RunTorvctl({"--json", "params", "get", m_other, "shutter", "--bank", "3"});
    EXPECT_EQ(ParsedLine(get.out), json({{"key", "SHUTTER"}, {"bank", 3}, {"value", "90"}}));
}

// The differences are the plain diff's lines, in order; the exit code stays 6.
TEST_F(TorvctlJson, ParamsDiffListsThePlainDifferences) {
    const auto plain = RunTorvctl({"params", "diff", m_base, m_other});
    const auto result = RunTorvctl({"--json", "params", "diff", m_base, m_other});
    EXPECT_EQ(result.exitCode, 6) << result.err;
    EXPECT_EQ(result.err, "");
    const json diff = ParsedLine(result.out);
    const auto lines = test::OutputLines(plain.out);
    ASSERT_EQ(diff["differences"].size() + 2, lines.size()) << plain.out;
    for (std::size_t i = 0; i < diff["differences"].size(); ++i) {
        const json& d = diff["differences"][i];
        const std::string expected =
            d["key"].is_null() ? std::string(d["block"]) + ": word " + std::to_string(int(d["word"])) + ": " +
                                     std::to_string(int(d["old"])) + " -> " + std::to_string(int(d["new"]))
                               : std::string(d["block"]) + ": " + std::string(d["key"]) + ": " +
                                     std::string(d["old"]) + " | " + std::string(d["new"]);
        EXPECT_EQ(lines[i + 2], expected);
    }
    const auto same = RunTorvctl({"--json", "params", "diff", m_base, m_base});
    EXPECT_EQ(same.exitCode, 0);
    EXPECT_EQ(ParsedLine(same.out)["differences"], json::array());
}

// A failure leaves stdout empty and puts one object on stderr: the exit code, the numbered message
// and what it concerns.
TEST(TorvctlJsonFailures, AreOneObjectOnStderr) {
    test::TempDir files;
    test::WriteFileBytes(files.file("bad.torv"), "not a parameter file\r\n");
    const auto file = [&files](const char* name) { return files.file(name); };
    const std::string gone = "/dev/ttyTORVnone";
    const struct {
        std::vector<std::string> arguments;
        int exitCode;
        json messageNumber;
        std::string messageStart;
        json port;
        json file;
    } cases[] = {
        {{"params", "show", file("gone")}, 5, 145, "The parameters file", nullptr, file("gone.torv")},
        {{"params", "show", file("bad")}, 5, 150, "", nullptr, file("bad.torv")},
        {{"-p", gone, "params", "read", file("x")}, 4, 142, "Faild", gone, nullptr},
        {{"parms"}, 2, nullptr, "torvctl: unknown command 'parms'", nullptr, nullptr},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments{"--json"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        const auto result = RunTorvctl(arguments);
        EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
        EXPECT_EQ(result.out, "");
        const json error = ParsedLine(result.err)["error"];
        EXPECT_EQ(error["exit"], c.exitCode);
        EXPECT_EQ(error["message_number"], c.messageNumber) << result.err;
        EXPECT_TRUE(std::string(error["message"]).starts_with(c.messageStart)) << result.err;
        EXPECT_EQ(error["port"], c.port);
        EXPECT_EQ(error["file"], c.file);
    }
}

// One line per judgement: what the sensor sent, character by character (four trailer bytes each: the
// numerical and the alphabetic difference, signed, then the two characters); the PC time in ISO 8601.
TEST(TorvctlJsonMonitor, PrintsEachJudgementAsTheSensorSentIt) {
    test::SimulatedSensor sensor({"--pace", "0", "--mix", "6,3,1"});
    const auto result = RunTorvctl({"--json", "--port", sensor.devicePath(), "monitor", "--count", "8"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto sent = test::SentJudgements(sensor.logPath());
    const auto lines = test::OutputLines(result.out);
    ASSERT_EQ(lines.size(), 8u);
    ASSERT_EQ(sent.size(), 8u);
    const std::regex isoTime(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}[+-]\d\d:\d\d)");
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const json line = json::parse(lines[i]);
        EXPECT_TRUE(std::regex_match(std::string(line["time"]), isoTime)) << lines[i];
        EXPECT_EQ(line["count"], i + 1);
        EXPECT_EQ(line["judgement"], sent[i].text);
        const std::vector<std::uint8_t>& trailer = sent[i].trailer;
        ASSERT_EQ(line["differences"].size() * 4, trailer.size()) << lines[i];
        for (std::size_t k = 0; k < line["differences"].size(); ++k) {
            const int numerical = static_cast<std::int8_t>(trailer[4 * k]);
            const int alphabetic = static_cast<std::int8_t>(trailer[4 * k + 1]);
            const std::size_t best = numerical < alphabetic ? 4 * k + 2 : 4 * k + 3;  // a tie: alphabetic
            EXPECT_EQ(std::string(line["numerical"])[k], trailer[4 * k + 2] & 0x7F);
            EXPECT_EQ(std::string(line["alphabetic"])[k], trailer[4 * k + 3] & 0x7F);
            EXPECT_EQ(std::string(line["characters"])[k], trailer[best] & 0x7F);
            EXPECT_EQ(line["numerical_differences"][k], numerical);
            EXPECT_EQ(line["alphabetic_differences"][k], alphabetic);
            EXPECT_EQ(line["differences"][k], std::min(numerical, alphabetic));
        }
    }
}

// The ports folder's links and the numbered ports, as `ports` lists them.
TEST(TorvctlJsonPorts, NameEveryPortAndItsDevice) {
    test::TempDir config;
    std::filesystem::create_directories(config.path() / "torv/ports");
    std::filesystem::create_symlink("/dev/ttyTORVgone", config.path() / "torv/ports/COM12");
    const auto result = RunTorvctl({"--json", "ports"}, {"XDG_CONFIG_HOME=" + config.path().string()});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const json ports = ParsedLine(result.out);
    EXPECT_EQ(ports["folder"], (config.path() / "torv/ports").string());
    const auto& list = ports["ports"];
    const auto link =
        std::find_if(list.begin(), list.end(), [](const json& p) { return p["name"] == "COM12"; });
    ASSERT_NE(link, list.end()) << result.out;
    EXPECT_EQ((*link)["device"], "/dev/ttyTORVgone");
    EXPECT_EQ((*link)["link"], true);
    EXPECT_EQ((*link)["present"], false);
    EXPECT_EQ(list[0]["name"], "COM1");
    EXPECT_TRUE(ports["devices"].is_array());
}

// One object per sensor, in the fleet file's order (read from stdin); some failed is exit 7.
TEST(TorvctlJsonFleet, GivesEverySensorsResult) {
    test::SimulatedSensor sensor;
    test::TempDir files;
    test::WriteFileBytes(files.file("plant.fleet"),
                         "line1 " + sensor.devicePath() + "\nline2 /dev/ttyTORVnone\n");
    const auto result = RunShell(std::string(TORVCTL_PATH) + " --json -y fleet read - " +
                                 files.path().string() + " < " + files.file("plant.fleet"));
    EXPECT_EQ(result.exitCode, 7) << result.err;
    const json fleet = ParsedLine(result.out);
    ASSERT_EQ(fleet["sensors"].size(), 2u);
    EXPECT_EQ(fleet["sensors"][0]["name"], "line1");
    EXPECT_EQ(fleet["sensors"][0]["port"], sensor.devicePath());
    EXPECT_EQ(fleet["sensors"][0]["result"], "ok");
    EXPECT_EQ(fleet["sensors"][1]["result"], "failed");
    EXPECT_EQ(fleet["sensors"][1]["message"], "Faild to open COM port.");
    EXPECT_NE(std::string(fleet["sensors"][1]["detail"]).find("/dev/ttyTORVnone"), std::string::npos);
    EXPECT_EQ(fleet["ok"], 1);
    EXPECT_EQ(fleet["failed"], 1);
    EXPECT_TRUE(std::filesystem::exists(files.file("line1.torv")));
}

// `-`, /dev/stdin and <(...) read what the named file holds, with no extension added.
TEST_F(TorvctlJson, StandardInputAndStreamNamesReadTheFile) {
    const std::string expected = RunTorvctl({"params", "show", m_base}).out;
    const std::string ctl = TORVCTL_PATH;
    const std::string file = m_base + ".torv";
    for (const std::string& command :
         {ctl + " params show - < " + file, ctl + " params show /dev/stdin < " + file,
          "cat " + file + " | " + ctl + " params show /dev/stdin",
          ctl + " params show <(cat " + file + ")"}) {
        const auto result = RunShell(command);
        EXPECT_EQ(result.exitCode, 0) << command << ": " << result.err;
        EXPECT_TRUE(result.out == expected) << command << ": " << result.out.substr(0, 200);
    }
    const auto diff = RunShell("cat " + m_other + ".torv | " + ctl + " params diff " + m_base + " -");
    EXPECT_EQ(diff.exitCode, 6) << diff.err;
    EXPECT_NE(diff.out.find("+++ -\n"), std::string::npos) << diff.out;
    const auto set = RunShell(ctl + " params set - SHUTTER=1 < " + file);
    EXPECT_EQ(set.exitCode, 2) << set.err;  // standard input cannot be changed: nothing lost
}

// The progress line on a terminal: erased with an escape sequence, or on a dumb terminal padded with
// spaces and free of escapes.
TEST(TorvctlProgress, FollowsADumbTerminal) {
    for (const std::string term : {"xterm", "dumb"}) {
        test::SimulatedSensor sensor;
        test::TempDir files;
        test::PtyPair terminal;
        test::RunningProgram torvctl(
            "/bin/bash",
            {"-c", std::string("exec ") + TORVCTL_PATH + " -p " + sensor.devicePath() + " params read " +
                       files.file("a") + " 2>" + terminal.devicePath()},
            {}, {"TERM=" + term});
        std::string drawn;
        for (std::vector<std::uint8_t> bytes; !(bytes = terminal.receive(4096, 1500)).empty();) {
            drawn.append(bytes.begin(), bytes.end());
        }
        const auto result = torvctl.finish();
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_NE(drawn.find("100% "), std::string::npos) << term << ": " << drawn;
        EXPECT_EQ(drawn.find('\x1b') == std::string::npos, term == "dumb") << term << ": " << drawn;
    }
}

// --append adds to the log instead of moving the earlier one aside.
TEST(TorvctlMonitorAppend, ContinuesTheLog) {
    test::SimulatedSensor sensor({"--pace", "0"});
    const std::string name = sensor.folder().file("log");
    const std::vector<std::string> monitor{"--port", sensor.devicePath(), "monitor", "--csv",
                                           name,     "--count",           "2"};
    ASSERT_EQ(RunTorvctl(monitor).exitCode, 0);
    std::vector<std::string> append = monitor;
    append.push_back("--append");
    ASSERT_EQ(RunTorvctl(append).exitCode, 0);
    EXPECT_FALSE(std::filesystem::exists(name + "-0001.csv"));
    EXPECT_EQ(test::CsvProblem(name + ".csv", test::SentJudgements(sensor.logPath())), "");
}

}  // namespace
}  // namespace torv
