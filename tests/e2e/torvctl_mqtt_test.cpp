// torvctl monitor --mqtt against torvsim over a pty and a real mosquitto on the loopback: each judgement
// arrives once, in order, as its trailer gives it; the status and its will; a broker away mid-run; TLS
// with a client certificate; and every refusal said plainly while the monitor goes on.

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <iterator>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <thread>

#include "tests/support/judgement_log.h"
#include "tests/support/mosquitto_broker.h"
#include "tests/support/ser2net_server.h"
#include "tests/support/simulated_sensor.h"

namespace torv {
namespace {

using nlohmann::json;
using test::MosquittoBroker;
using test::MqttSubscriber;
using test::ReceivedMessage;
using test::SentJudgement;

constexpr int kWaitMs = 30000;  // generous: the machine may be busy; no assertion is about time

// The judgement message the trailer torvsim sent gives (the time aside): the best character of each
// position is the numerical one only when its difference is smaller.
json ExpectedJudgement(const SentJudgement& sent, int count, const std::string& sensor) {
    std::string best, numerical, alphabetic;
    std::vector<int> differences;
    for (std::size_t i = 0; i + 3 < sent.trailer.size(); i += 4) {
        const int nd = static_cast<std::int8_t>(sent.trailer[i]);
        const int ad = static_cast<std::int8_t>(sent.trailer[i + 1]);
        const char nc = static_cast<char>(sent.trailer[i + 2] & 0x7F);
        const char ac = static_cast<char>(sent.trailer[i + 3] & 0x7F);
        best += nd < ad ? nc : ac;
        numerical += nc;
        alphabetic += ac;
        differences.push_back(std::min(nd, ad));
    }
    return {{"sensor", sensor},          {"count", count},         {"judgement", sent.text},
            {"characters", best},        {"numerical", numerical}, {"alphabetic", alphabetic},
            {"differences", differences}};
}

// A TLS listener that asks for a client certificate; a listener for one user with a password.
const test::BrokerSetup kTlsBroker{.tls = true, .requireCertificate = true, .user = {}, .password = {}};
const test::BrokerSetup kGuardedBroker{.user = "plant", .password = "secret"};

std::size_t CsvJudgements(const std::string& path) {
    return test::CsvLines(path).size() / 3;
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// Predicates for MqttSubscriber::waitFor: `payload` has come on `topic`; `count` messages have.
auto Arrived(const std::string& topic, const std::string& payload) {
    return [=](const std::vector<ReceivedMessage>& messages) {
        return std::any_of(messages.begin(), messages.end(),
                           [&](const auto& m) { return m.topic == topic && m.payload == payload; });
    };
}

auto Many(const std::string& topic, std::size_t count) {
    return [=](const std::vector<ReceivedMessage>& messages) {
        const auto onTopic = [&](const auto& m) { return m.topic == topic; };
        return static_cast<std::size_t>(std::count_if(messages.begin(), messages.end(), onTopic)) >= count;
    };
}

TEST(TorvctlMqtt, EveryJudgementArrivesOnceInOrderWithStatusAndRetainedStats) {
    MosquittoBroker broker;
    MqttSubscriber watcher(broker, "plant/#");
    test::SimulatedSensor sensor({"--pace", "0", "--mix", "6,3,1"});
    const std::string log = sensor.folder().file("log");
    const auto result = test::RunTorvctl({"--port", sensor.devicePath(), "monitor", "--csv", log, "--count",
                                          "40", "--mqtt", broker.url("plant"), "--name", "line-3"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.err.find("torvctl: MQTT: connected to 127.0.0.1:" + std::to_string(broker.port())),
              std::string::npos)
        << result.err;
    const auto sent = test::SentJudgements(sensor.logPath());
    ASSERT_EQ(sent.size(), 40u);
    EXPECT_EQ(test::CsvProblem(log + ".csv", sent), "");
    ASSERT_TRUE(watcher.waitFor(Arrived("plant/line-3/status", "offline"), kWaitMs));

    const auto judgements = watcher.payloads("plant/line-3/judgement");
    const auto printed = test::OutputLines(result.out);
    ASSERT_EQ(judgements.size(), sent.size());
    ASSERT_EQ(printed.size(), sent.size());
    int ok = 0, ng = 0, none = 0;
    for (std::size_t i = 0; i < sent.size(); ++i) {
        json expected = ExpectedJudgement(sent[i], static_cast<int>(i) + 1, "line-3");
        expected["time"] = printed[i].substr(0, printed[i].find('\t'));  // the time the line shows
        EXPECT_EQ(json::parse(judgements[i]), expected) << i;
        (sent[i].text == "OK" ? ok : sent[i].text == "NG" ? ng : none) += 1;
    }
    EXPECT_EQ(watcher.payloads("plant/line-3/status"), (std::vector<std::string>{"online", "offline"}));
    EXPECT_TRUE(watcher.payloads("plant/line-3/alarm").empty());

    // A dashboard that subscribes later still finds the state and the last counts.
    MqttSubscriber late(broker, "plant/line-3/+");
    ASSERT_TRUE(late.waitFor(Many("plant/line-3/stats", 1), kWaitMs));
    ASSERT_TRUE(late.waitFor(Arrived("plant/line-3/status", "offline"), kWaitMs));
    for (const ReceivedMessage& message : late.messages()) {
        EXPECT_TRUE(message.retained) << message.topic;
    }
    const json stats = json::parse(late.payloads("plant/line-3/stats").back());
    EXPECT_EQ(stats["sensor"], "line-3");
    EXPECT_EQ(stats["judgements"], 40);
    EXPECT_EQ(stats["ok"], ok);
    EXPECT_EQ(stats["ng"], ng);
    EXPECT_EQ(stats["none"], none);
    EXPECT_NEAR(stats["yield"].get<double>(), 100.0 * ok / (ok + ng), 0.005);
    EXPECT_EQ(stats["dropped"], 0);
}

// SIGKILL leaves no time for a goodbye: the broker publishes the will. Without --name the sensor is
// named after its port (/dev/pts/N is pts-N).
TEST(TorvctlMqtt, AKilledMonitorGoesOfflineByItsWill) {
    MosquittoBroker broker;
    MqttSubscriber watcher(broker, "plant/#");
    test::SimulatedSensor sensor({"--pace", "20"});
    std::string name = sensor.devicePath().substr(5);
    std::replace(name.begin(), name.end(), '/', '-');
    test::RunningProgram monitor(TORVCTL_PATH,
                                 {"--port", sensor.devicePath(), "monitor", "--mqtt", broker.url("plant")});
    ASSERT_TRUE(watcher.waitFor(Many("plant/" + name + "/judgement", 3), kWaitMs)) << name;
    monitor.signal(SIGKILL);
    monitor.finish();
    ASSERT_TRUE(watcher.waitFor(Arrived("plant/" + name + "/status", "offline"), kWaitMs));
    EXPECT_EQ(watcher.payloads("plant/" + name + "/status"), (std::vector<std::string>{"online", "offline"}));
}

// The broker stopped and started again mid-run: the monitor goes on judging and logging, the messages
// handed over before the loss and the queue's newest arrive after the broker's return, and the
// oldest of the queue, counted, are the ones dropped.
TEST(TorvctlMqtt, ABrokerAwayMidRunCostsTheCsvNothingAndTheQueueArrivesAfterItsReturn) {
    constexpr std::size_t kQueue = 50;
    MosquittoBroker broker;
    MqttSubscriber watcher(broker, "plant/#");
    test::SimulatedSensor sensor({"--pace", "10"});
    const std::string log = sensor.folder().file("log");
    const std::string topic = "plant/line-3/judgement";
    test::RunningProgram monitor(
        TORVCTL_PATH, {"--port", sensor.devicePath(), "monitor", "--csv", log, "--mqtt", broker.url("plant"),
                       "--name", "line-3", "--mqtt-queue", std::to_string(kQueue)});
    ASSERT_TRUE(watcher.waitFor(Many(topic, 10), kWaitMs));
    broker.stop();
    ASSERT_TRUE(monitor.waitForError("lost the connection to 127.0.0.1:", kWaitMs));
    const std::size_t atLoss = CsvJudgements(log + ".csv");
    ASSERT_TRUE(WaitUntil([&] { return CsvJudgements(log + ".csv") >= atLoss + 4 * kQueue; }, kWaitMs));
    broker.start();
    ASSERT_TRUE(monitor.waitForError("reconnected to 127.0.0.1:", 2 * kWaitMs));
    const int atReturn = static_cast<int>(CsvJudgements(log + ".csv"));
    ASSERT_TRUE(watcher.waitFor(
        [&](const std::vector<ReceivedMessage>& messages) {
            return std::any_of(messages.begin(), messages.end(), [&](const ReceivedMessage& m) {
                return m.topic == topic && json::parse(m.payload)["count"].get<int>() > atReturn + 20;
            });
        },
        kWaitMs));
    monitor.signal(SIGINT);
    const auto result = monitor.finish();
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const auto sent = test::SentJudgements(sensor.logPath());
    EXPECT_EQ(test::CsvProblem(log + ".csv", sent), "");
    ASSERT_TRUE(watcher.waitFor(Arrived("plant/line-3/status", "offline"), kWaitMs));

    // QoS 1 delivers at least once: a message the broker had taken (or sent on) when it stopped, whose
    // acknowledgement never came, comes again. Apart from such repeats, each count is new and larger.
    std::vector<int> counts;
    for (const std::string& payload : watcher.payloads(topic)) {
        const int count = json::parse(payload)["count"];
        if (counts.empty() || count > counts.back()) {
            counts.push_back(count);
        } else {
            EXPECT_TRUE(std::binary_search(counts.begin(), counts.end(), count)) << count << " out of order";
        }
    }
    ASSERT_EQ(counts.front(), 1);
    ASSERT_EQ(counts.back(), static_cast<int>(sent.size()));
    std::vector<std::pair<int, int>> gaps;  // first and last count missing
    for (std::size_t i = 1; i < counts.size(); ++i) {
        if (counts[i] != counts[i - 1] + 1) {
            gaps.emplace_back(counts[i - 1] + 1, counts[i] - 1);
        }
    }
    ASSERT_EQ(gaps.size(), 1u) << "the dropped judgements are one run";
    const int dropped = gaps[0].second - gaps[0].first + 1;
    EXPECT_LE(gaps[0].first, static_cast<int>(atLoss) + 1) << "the oldest are dropped first";
    EXPECT_GE(counts.back() - gaps[0].second, static_cast<int>(kQueue)) << "the queue's newest arrived";
    EXPECT_NE(result.err.find("torvctl: MQTT: " + std::to_string(dropped) +
                              " judgement messages dropped while the broker was away"),
              std::string::npos)
        << result.err;
    EXPECT_EQ(json::parse(watcher.payloads("plant/line-3/stats").back())["dropped"], dropped);
    // The broker publishes the will when it stops, as it does for any connection it loses.
    std::vector<std::string> statuses = watcher.payloads("plant/line-3/status");
    statuses.erase(std::unique(statuses.begin(), statuses.end()), statuses.end());
    EXPECT_EQ(statuses, (std::vector<std::string>{"online", "offline", "online", "offline"}));
}

TEST(TorvctlMqtt, PublishesOverTlsWithAClientCertificate) {
    MosquittoBroker broker(kTlsBroker);
    MqttSubscriber watcher(broker, "plant/#");
    test::SimulatedSensor sensor({"--pace", "0"});
    const auto result =
        test::RunTorvctl({"--port", sensor.devicePath(), "monitor", "--count", "10", "--mqtt",
                          broker.url("plant"), "--name", "line-3", "--mqtt-ca", broker.caFile(),
                          "--mqtt-cert", broker.clientCertFile(), "--mqtt-key", broker.clientKeyFile()});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    ASSERT_TRUE(watcher.waitFor(Arrived("plant/line-3/status", "offline"), kWaitMs)) << result.err;
    const auto judgements = watcher.payloads("plant/line-3/judgement");
    ASSERT_EQ(judgements.size(), 10u);
    EXPECT_EQ(json::parse(judgements.back())["count"], 10);
}

// What the user is told when publishing cannot work; the monitor goes on regardless.
TEST(TorvctlMqtt, ARefusalOrAnUnknownHostIsSaidPlainlyAndTheMonitorGoesOn) {
    struct Case {
        std::optional<test::BrokerSetup> broker;
        std::string options;  // {URL}, {CA}, {STRANGER}, {STRANGER-KEY}: the broker's; {FREE}: a port
        std::string password;
        std::string said;  // {PORT}: the broker's port, {LOG}: the CSV
    };
    const std::vector<Case> cases{
        {kGuardedBroker, "--mqtt {URL} --mqtt-user plant", "wrong",
         "the broker at 127.0.0.1:{PORT} refused the user name or password; nothing more is published, the "
         "monitor goes on and {LOG} stays complete"},
        {kGuardedBroker, "--mqtt {URL}", "",
         "the broker at 127.0.0.1:{PORT} refused a connection without a user name and password"},
        {kTlsBroker, "--mqtt {URL} --mqtt-ca {STRANGER}", "",
         "the broker's certificate at 127.0.0.1:{PORT} is not trusted: it is not signed by the CA in "
         "{STRANGER}"},
        {kTlsBroker, "--mqtt {URL} --mqtt-ca {CA}", "",
         "the broker at 127.0.0.1:{PORT} asks for this PC's certificate and key"},
        {kTlsBroker, "--mqtt {URL} --mqtt-ca {CA} --mqtt-cert {STRANGER} --mqtt-key {STRANGER-KEY}", "",
         "the broker at 127.0.0.1:{PORT} refused the client certificate {STRANGER}"},
        {std::nullopt, "--mqtt mqtt://nosuchhost.invalid/plant", "",
         "torvctl: MQTT: cannot find the broker's host nosuchhost.invalid ("},
        {std::nullopt, "--mqtt mqtt://127.0.0.1:{FREE}/plant", "",
         "torvctl: MQTT: cannot reach 127.0.0.1:{FREE} (connection refused); retrying"},
    };
    const std::string free = std::to_string(test::FreeLoopbackPort());
    for (const Case& c : cases) {
        std::optional<MosquittoBroker> broker;
        if (c.broker) {
            broker.emplace(*c.broker);
        }
        test::SimulatedSensor sensor({"--pace", "5"});
        const std::string log = sensor.folder().file("log");
        std::vector<std::pair<std::string, std::string>> marks{{"{FREE}", free}, {"{LOG}", log + ".csv"}};
        if (broker) {
            marks.insert(marks.end(), {{"{URL}", broker->url("plant")},
                                       {"{PORT}", std::to_string(broker->port())},
                                       {"{CA}", broker->caFile()},
                                       {"{STRANGER}", broker->strangerCaFile()},
                                       {"{STRANGER-KEY}", broker->strangerKeyFile()}});
        }
        const auto fill = [&marks](std::string text) {
            for (const auto& [mark, value] : marks) {
                for (std::size_t at; (at = text.find(mark)) != std::string::npos;) {
                    text.replace(at, mark.size(), value);
                }
            }
            return text;
        };
        std::vector<std::string> arguments{"--port", sensor.devicePath(), "monitor", "--csv", log};
        std::istringstream words(fill(c.options));
        arguments.insert(arguments.end(), std::istream_iterator<std::string>(words), {});
        std::vector<std::string> environment;
        if (!c.password.empty()) {
            environment.push_back("TORV_MQTT_PASSWORD=" + c.password);
        }
        test::RunningProgram monitor(TORVCTL_PATH, arguments, {}, environment);
        EXPECT_TRUE(monitor.waitForError(fill(c.said), kWaitMs)) << fill(c.said);
        // It goes on judging and logging after saying so.
        const std::size_t atRefusal = CsvJudgements(log + ".csv");
        EXPECT_TRUE(WaitUntil([&] { return CsvJudgements(log + ".csv") >= atRefusal + 10; }, kWaitMs));
        monitor.signal(SIGINT);
        const auto result = monitor.finish();
        EXPECT_EQ(result.exitCode, 0) << c.said << ": " << result.err;
        EXPECT_EQ(test::CsvProblem(log + ".csv", test::SentJudgements(sensor.logPath())), "") << c.said;
    }
}

// Options that cannot work together are refused before the port opens (exit 2), each with its reason.
TEST(TorvctlMqtt, OptionsThatCannotWorkAreRefusedWithTheReason) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"--mqtt", "ftp://broker/plant"}, "ftp://broker/plant is no broker: give mqtt://HOST"},
        {{"--mqtt", "mqtts://broker/plant"}, "mqtts:// needs --mqtt-ca FILE"},
        {{"--mqtt", "mqtt://broker/plant", "--mqtt-ca", "ca.pem"}, "are for an mqtts:// broker"},
        {{"--mqtt", "mqtt://broker/plant", "--name", "line/3"}, "holds '/', which MQTT reserves in topics"},
        {{"--mqtt-user", "plant"}, "--mqtt"},
    };
    for (const auto& [options, said] : cases) {
        std::vector<std::string> arguments{"--port", "/dev/null", "monitor"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const auto result = test::RunTorvctl(arguments);
        EXPECT_EQ(result.exitCode, 2) << said;
        EXPECT_NE(result.err.find(said), std::string::npos) << result.err;
    }
}

}  // namespace
}  // namespace torv
