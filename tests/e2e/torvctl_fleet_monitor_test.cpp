// torvctl fleet monitor against several torvsims on pseudo-terminals, COMn links and a device server:
// every sensor's CSV holds exactly what its simulator sent, also across a silence or a replaced sensor,
// which are retried and said; the summary lines, exit codes, trend alarms, MQTT and the status lines.

#include <signal.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <regex>
#include <thread>

#include "link/com_device.h"
#include "tests/support/judgement_log.h"
#include "tests/support/mosquitto_broker.h"
#include "tests/support/pty_pair.h"
#include "tests/support/ser2net_server.h"
#include "tests/support/simulated_sensor.h"

namespace torv {
namespace {

using test::RunTorvctl;
using test::SentJudgements;
using test::SimulatedSensor;

constexpr int kEventWaitMs = 40000;  // a retry comes within 30 s however loaded the machine is
constexpr std::size_t kFramesFirst = 60;
constexpr std::size_t kJudgementsFirst = 20;

// A sensor's summary line read back: "NAME  judged N  OK N  NG N  -- N  yield Y%  [alarms N]  gaps N".
struct Summary {
    long long judged = -1, ok = -1, ng = -1, none = -1, alarms = 0, gaps = -1;
};

std::optional<Summary> SummaryOf(const std::string& out, const std::string& name) {
    static const std::regex line(
        R"(judged +(\d+) +OK +(\d+) +NG +(\d+) +-- +(\d+) +yield +[\d.]+% +(?:alarms +(\d+) +)?gaps +(\d+).*)");
    for (const std::string& text : test::OutputLines(out)) {
        std::smatch m;
        if (text.rfind(name + " ", 0) == 0 &&
            std::regex_match(text.cbegin() + static_cast<std::ptrdiff_t>(text.find("judged")), text.cend(), m,
                             line)) {
            const auto number = [&m](int i) { return m[i].matched ? std::stoll(m[i]) : 0LL; };  // alarms: 0
            return Summary{number(1), number(2), number(3), number(4), number(5), number(6)};
        }
    }
    return std::nullopt;
}

// What the summary must say of a sensor that sent `sent`, with `gaps` gaps.
void ExpectSummary(const std::string& out, const std::string& name,
                   const std::vector<test::SentJudgement>& sent, long long gaps) {
    Summary expected{static_cast<long long>(sent.size()), 0, 0, 0, 0, gaps};
    for (const test::SentJudgement& j : sent) {
        ++(j.text == "OK" ? expected.ok : j.text == "NG" ? expected.ng : expected.none);
    }
    const std::optional<Summary> got = SummaryOf(out, name);
    ASSERT_TRUE(got) << name << " has no summary line in:\n" << out;
    EXPECT_EQ(std::tie(got->judged, got->ok, got->ng, got->none, got->gaps),
              std::tie(expected.judged, expected.ok, expected.ng, expected.none, expected.gaps))
        << out;
}

// Waits up to 20 s until the simulator has sent `count` judgements.
bool WaitForJudgements(const SimulatedSensor& sensor, std::size_t count) {
    for (int i = 0; i < 1000 && SentJudgements(sensor.logPath()).size() < count; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return SentJudgements(sensor.logPath()).size() >= count;
}

bool Mentions(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The COMn links of this test's simulators in a ports folder of their own, which torvsim and torvctl
// inherit.
class FleetMonitorTest : public ::testing::Test {
  protected:
    FleetMonitorTest() { setenv("XDG_CONFIG_HOME", m_config.path().c_str(), 1); }
    ~FleetMonitorTest() override { unsetenv("XDG_CONFIG_HOME"); }

    std::string fleet(const std::vector<std::pair<std::string, std::string>>& sensors) {
        std::string text;
        for (const auto& [name, port] : sensors) {
            text += name + " " + port + "\n";
        }
        test::WriteFileBytes(m_files.file("plant.fleet"), text);
        return m_files.file("plant.fleet");
    }
    std::string csv(const std::string& name) const { return m_folder + "/" + name + ".csv"; }
    std::vector<std::string> monitor(const std::string& fleetPath, std::vector<std::string> more = {}) const {
        std::vector<std::string> words{"fleet", "monitor", fleetPath, "--csv-dir", m_folder};
        words.insert(words.end(), more.begin(), more.end());
        return words;
    }

    test::TempDir m_config;
    test::TempDir m_files;
    const std::string m_folder = m_files.file("logs");
};

// A direct device path, a COMn link and a device server at once; the time limit and Ctrl-C both end
// every sensor with its CSV whole. The earlier log of one sensor is moved aside byte for byte.
TEST_F(FleetMonitorTest, EveryCsvHoldsExactlyWhatItsSensorSent) {
    const bool networked = NetworkPortsAvailable() && !test::Ser2netServer::ProgramPath().empty();
    for (const bool interrupt : {false, true}) {
        SimulatedSensor direct({"--pace", "2", "--mix", "6,3,1", "--seed", "21"}, 21);
        SimulatedSensor linked({"--pace", "2", "--seed", "22", "--link", "COM7"}, 22);
        SimulatedSensor served({"--pace", "2", "--seed", "23"}, 23);
        std::vector<std::pair<std::string, std::string>> ports{{"direct", direct.devicePath()},
                                                               {"linked", "COM7"}};
        std::map<std::string, const SimulatedSensor*> sensors{{"direct", &direct}, {"linked", &linked}};
        std::optional<test::Ser2netServer> server;
        if (networked) {
            server.emplace(std::vector<std::string>{served.devicePath()});
            ports.emplace_back("served", server->portName());
            sensors["served"] = &served;
        }
        std::filesystem::create_directories(m_folder);
        const std::string earlier = "OK,1,Dec 05 2026 22:11:46.123\r\nan earlier run\r\n";
        test::WriteFileBytes(csv("direct"), earlier);

        test::ProgramResult result;
        if (interrupt) {
            test::RunningProgram torvctl(TORVCTL_PATH, monitor(fleet(ports)));
            for (const auto& [name, sensor] : sensors) {
                ASSERT_TRUE(WaitForJudgements(*sensor, kJudgementsFirst)) << name;
            }
            torvctl.signal(SIGINT);
            result = torvctl.finish();
        } else {
            result = RunTorvctl(monitor(fleet(ports), {"--seconds", "1.5"}));
        }
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(test::ReadFileBytes(m_folder + "/direct-0001.csv"), earlier);
        for (const auto& [name, sensor] : sensors) {
            const auto sent = SentJudgements(sensor->logPath());
            EXPECT_GE(sent.size(), kJudgementsFirst) << name;
            EXPECT_EQ(test::CsvProblem(csv(name), sent), "") << interrupt;
            ExpectSummary(result.out, name, sent, 0);
        }
        EXPECT_TRUE(Mentions(result.out, std::to_string(sensors.size()) + " sensors, ")) << result.out;
        EXPECT_TRUE(Mentions(result.out,
                             ": " + std::to_string(sensors.size()) + " answered throughout, 0 with gaps\n"))
            << result.out;
        std::filesystem::remove_all(m_folder);
    }
}

// b misses one poll; c hangs up and a new simulator takes its link. Both are retried and said, resume
// into their CSVs, and a's CSV is whole and a is never named.
TEST_F(FleetMonitorTest, SilentSensorsAreRetriedAndResumeIntoTheSameCsv) {
    constexpr int kSilenced = 40;
    constexpr int kHangup = 300;
    SimulatedSensor a({"--pace", "2", "--seed", "31"}, 31);
    SimulatedSensor b({"--pace", "2", "--seed", "32", "--fault", std::to_string(kSilenced) + "=silence"}, 32);
    SimulatedSensor first(
        {"--pace", "2", "--seed", "33", "--link", "COM8", "--fault", std::to_string(kHangup) + "=hangup"},
        33);
    test::RunningProgram torvctl(
        TORVCTL_PATH, monitor(fleet({{"a", a.devicePath()}, {"b", b.devicePath()}, {"c", "COM8"}})));
    ASSERT_TRUE(torvctl.waitForError("c: silent at ", kEventWaitMs));
    const auto firstSent = SentJudgements(first.logPath());
    SimulatedSensor second({"--pace", "2", "--seed", "34", "--link", "COM8"}, 34);
    ASSERT_TRUE(torvctl.waitForError("c: back at ", kEventWaitMs));
    ASSERT_TRUE(torvctl.waitForError("b: back at ", kEventWaitMs));
    ASSERT_TRUE(second.waitForFrames(kFramesFirst));
    torvctl.signal(SIGINT);
    const test::ProgramResult result = torvctl.finish();
    EXPECT_EQ(result.exitCode, 7) << result.err;  // some sensors had gaps

    const auto aSent = SentJudgements(a.logPath());
    const auto bSent = SentJudgements(b.logPath());
    auto cSent = firstSent;
    const auto secondSent = SentJudgements(second.logPath());
    cSent.insert(cSent.end(), secondSent.begin(), secondSent.end());
    EXPECT_EQ(test::CsvProblem(csv("a"), aSent), "");
    EXPECT_EQ(test::CsvProblem(csv("b"), bSent), "");
    EXPECT_EQ(test::CsvProblem(csv("c"), cSent), "");
    EXPECT_FALSE(std::filesystem::exists(m_folder + "/c-0001.csv"));  // resumed, not started again
    EXPECT_FALSE(Mentions(result.err, "a: ")) << result.err;
    // Where each gap is: after the last judgement before the exchange that went unanswered.
    const auto bBefore =
        std::count_if(bSent.begin(), bSent.end(), [](const auto& j) { return j.exchange < kSilenced; });
    for (const auto& [name, before] :
         {std::pair{std::string("b"), static_cast<std::size_t>(bBefore)}, {"c", firstSent.size()}}) {
        // A slow machine may reach b's silent poll before its first judgement.
        const std::string place =
            before == 0 ? "before its first judgement" : "after judgement " + std::to_string(before);
        const std::regex said(name + ": silent at [-0-9T:.+]+, " + place +
                              ": No communication response\\. Retrying every 1 to 30 s\\.\n" + name +
                              ": No reply from the sensor on [^\n]+\n(.|\n)*" + name +
                              ": back at [-0-9T:.+]+ after [0-9.]+ s silent \\(" + place + "\\)\n");
        EXPECT_TRUE(std::regex_search(result.err, said)) << name << ":\n" << result.err;
    }
    ExpectSummary(result.out, "a", aSent, 0);
    ExpectSummary(result.out, "b", bSent, 1);
    ExpectSummary(result.out, "c", cSent, 1);
    EXPECT_TRUE(Mentions(result.out, ": 1 answered throughout, 2 with gaps\n")) << result.out;
}

// How a run ends, in its exit code and last line.
TEST_F(FleetMonitorTest, ExitCodesSayHowTheRunEnded) {
    struct Case {
        std::string what;
        std::vector<std::string> plans;  // each sensor's fault plan
        int signal;                      // sent once every sensor has answered; 0: --seconds
        bool csvBlocked;                 // a folder stands where the second sensor's CSV goes
        int exitCode;
        std::string said;  // on stdout, or on stderr when nothing was polled
    };
    const std::vector<Case> cases = {
        {"all silent", {"1+=silence", "1+=silence"}, 0, false, 1, ": 0 answered throughout, 2 with gaps\n"},
        {"SIGTERM", {"", ""}, SIGTERM, false, 128 + SIGTERM, ": 2 answered throughout, 0 with gaps\n"},
        {"CSV blocked", {"", ""}, 0, true, 5, "s2: Failed to create the file.\n"},
    };
    for (const Case& c : cases) {
        SimulatedSensor s1(test::FaultOption(c.plans[0]), 41);
        SimulatedSensor s2(test::FaultOption(c.plans[1]), 42);
        if (c.csvBlocked) {
            std::filesystem::create_directories(csv("s2"));
        }
        const std::string path = fleet({{"s1", s1.devicePath()}, {"s2", s2.devicePath()}});
        test::ProgramResult result;
        if (c.signal != 0) {
            test::RunningProgram torvctl(TORVCTL_PATH, monitor(path));
            ASSERT_TRUE(s1.waitForFrames(kFramesFirst) && s2.waitForFrames(kFramesFirst)) << c.what;
            torvctl.signal(c.signal);
            result = torvctl.finish();
        } else {
            // Long enough for both silent sensors to reach their 1000 ms time-out on a busy machine.
            result = RunTorvctl(monitor(path, {"--seconds", "3"}));
        }
        EXPECT_EQ(result.exitCode, c.exitCode) << c.what << result.err;
        EXPECT_TRUE(Mentions(result.out + result.err, c.said)) << c.what << result.out << result.err;
        if (c.csvBlocked) {
            EXPECT_TRUE(Mentions(result.err, "\ntorvctl: no sensor was polled\n")) << result.err;
            EXPECT_TRUE(s1.frames().empty() && s2.frames().empty());
        } else if (c.exitCode == 1) {
            EXPECT_TRUE(SummaryOf(result.out, "s1") && SummaryOf(result.out, "s1")->gaps == 1) << result.out;
        }
        std::filesystem::remove_all(m_folder);
    }
}

// One trend per sensor: the fading print raises its alarm at its position 3, the stable one none.
TEST_F(FleetMonitorTest, EachSensorHasItsOwnTrend) {
    SimulatedSensor fading({"--pace", "0", "--mix", "100,0,0", "--fade", "3,4000,1500"}, 51);
    SimulatedSensor stable({"--pace", "0", "--mix", "97,0,3"}, 52);
    test::RunningProgram torvctl(
        TORVCTL_PATH, {"fleet", "monitor",
                       fleet({{"fading", fading.devicePath()}, {"stable", stable.devicePath()}}), "--trend"});
    ASSERT_TRUE(torvctl.waitForError("fading: trend alarm at judgement ", kEventWaitMs));
    torvctl.signal(SIGINT);
    const test::ProgramResult result = torvctl.finish();
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(Mentions(result.err, ": Position 3 ('")) << result.err;
    EXPECT_FALSE(Mentions(result.err, "stable: ")) << result.err;
    EXPECT_FALSE(std::filesystem::exists(m_folder));  // no --csv-dir: nothing logged
    const auto fadingSummary = SummaryOf(result.out, "fading");
    const auto stableSummary = SummaryOf(result.out, "stable");
    ASSERT_TRUE(fadingSummary && stableSummary) << result.out;
    EXPECT_GE(fadingSummary->alarms, 1);
    EXPECT_EQ(stableSummary->alarms, 0);
}

// --mqtt: every sensor publishes under its own fleet name, each judgement it sent once and in order,
// and its last counts retained.
TEST_F(FleetMonitorTest, EverySensorPublishesUnderItsOwnName) {
    test::MosquittoBroker broker;
    test::MqttSubscriber watcher(broker, "plant/#");
    SimulatedSensor a({"--pace", "2", "--seed", "71"}, 71);
    SimulatedSensor b({"--pace", "2", "--seed", "72", "--mix", "5,4,1"}, 72);
    const auto result = RunTorvctl(monitor(fleet({{"line-a", a.devicePath()}, {"line-b", b.devicePath()}}),
                                           {"--seconds", "1.5", "--mqtt", broker.url("plant")}));
    ASSERT_EQ(result.exitCode, 0) << result.err;
    for (const auto& [name, sensor] : {std::pair{std::string("line-a"), &a}, {"line-b", &b}}) {
        EXPECT_TRUE(Mentions(result.err, "torvctl: MQTT: " + name + ": connected to 127.0.0.1:"))
            << result.err;
        const std::string topic = "plant/" + name + "/";
        const auto offline = [&topic](const std::vector<test::ReceivedMessage>& messages) {
            return std::any_of(messages.begin(), messages.end(), [&topic](const auto& m) {
                return m.topic == topic + "status" && m.payload == "offline";
            });
        };
        ASSERT_TRUE(watcher.waitFor(offline, kEventWaitMs)) << name;
        const auto sent = SentJudgements(sensor->logPath());
        EXPECT_EQ(test::CsvProblem(csv(name), sent), "");
        const auto published = watcher.payloads(topic + "judgement");
        ASSERT_EQ(published.size(), sent.size()) << name;
        for (std::size_t i = 0; i < sent.size(); ++i) {
            const nlohmann::json message = nlohmann::json::parse(published[i]);
            EXPECT_EQ(message["sensor"], name);
            EXPECT_EQ(message["count"], i + 1);
            EXPECT_EQ(message["judgement"], sent[i].text) << name << " " << i;
        }
        const auto stats = watcher.payloads(topic + "stats");
        ASSERT_FALSE(stats.empty()) << name;
        EXPECT_EQ(nlohmann::json::parse(stats.back())["judgements"], sent.size());
        EXPECT_EQ(watcher.payloads(topic + "status"), (std::vector<std::string>{"online", "offline"}));
    }
}

// stderr on a terminal 200 columns wide (the shell marks the run's end there): with escapes, a line per
// sensor redrawn in place under the events; with TERM=dumb, the one total line, without a single escape.
TEST_F(FleetMonitorTest, StatusLinesOnATerminal) {
    const std::string ended = "<the run ended>";
    for (const std::string term : {"xterm", "dumb"}) {
        SimulatedSensor busy({"--pace", "5"}, 61);
        SimulatedSensor quiet({"--fault", "1+=silence"}, 62);
        test::PtyPair terminal;
        const std::string tty = terminal.devicePath();
        test::RunningProgram torvctl(
            "/bin/sh",
            {"-c",
             "stty cols 200 rows 40 <" + tty + " && \"$0\" \"$@\" 2>" + tty + "; code=$?; echo '" + ended +
                 "' >" + tty + "; exit $code",
             TORVCTL_PATH, "fleet", "monitor",
             fleet({{"busy", busy.devicePath()}, {"quiet", quiet.devicePath()}}), "--seconds", "3"},
            {}, {"TERM=" + term});
        std::string shown;
        for (int slice = 0; slice < 600 && !Mentions(shown, ended); ++slice) {
            const auto bytes = terminal.receive(1 << 16, 100);
            shown.append(bytes.begin(), bytes.end());
        }
        const test::ProgramResult result = torvctl.finish();
        EXPECT_EQ(result.exitCode, 7) << term << result.err;
        EXPECT_TRUE(Mentions(shown, "quiet: silent at ")) << shown;
        EXPECT_TRUE(SummaryOf(result.out, "busy")) << term;
        if (term == "dumb") {
            EXPECT_FALSE(Mentions(shown, "\x1b")) << shown;
            EXPECT_TRUE(Mentions(shown, "\r2 sensors: judged ")) << shown;
            continue;
        }
        EXPECT_TRUE(
            std::regex_search(shown, std::regex("\x1b\\[2A\x1b\\[Jbusy   judged +[1-9][0-9]*  NG +[0-9]+  "
                                                "[ 0-9.]+%  last (OK|NG|--)  polling\n")))
            << shown;
        EXPECT_TRUE(
            std::regex_search(shown, std::regex("\nquiet  judged      0  NG     0  100\\.0%  last     "
                                                "retrying (in [0-9]+ s|now): No communication "
                                                "response\\.\n2 sensors: judged ")))
            << shown;
    }
}

}  // namespace
}  // namespace torv
