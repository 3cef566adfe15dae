#include "cli/mqtt_options.h"

#include <cctype>
#include <cstdlib>
#include <nlohmann/json.hpp>

#include "cli/json_output.h"
#include "cli/trend_command.h"
#include "monitor/iso_time.h"
#include "monitor/judgement_message.h"

namespace torv::cli {
namespace {

#ifndef TORV_WITHOUT_MQTT
constexpr std::chrono::milliseconds kEndGrace{2000};
#endif

CLI::Validator UrlCheck() {
    return CLI::Validator(
        [](std::string& text) {
            std::string why;
            return ParseMqttUrl(text, why) ? std::string() : text + " is no broker: " + why;
        },
        "");
}

CLI::Validator SensorNameCheck() {
    return CLI::Validator(
        [](std::string& text) {
            const std::string problem = MqttLevelProblem(text);
            return problem.empty() ? std::string()
                                   : "'" + text + "' cannot name a sensor in topics: it " + problem;
        },
        "");
}

CLI::Validator QueueCheck() {
    return CLI::Validator(
        [](std::string& text) {
            std::size_t value = 0;
            if (CLI::detail::lexical_cast(text, value) && value >= 1 && value <= kLongestMqttQueue) {
                return std::string();
            }
            return text + " is no queue size: give 1 to " + std::to_string(kLongestMqttQueue) + " messages";
        },
        "");
}

#ifndef TORV_WITHOUT_MQTT
std::string Plural(std::uint64_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}
#endif

}  // namespace

void AddMqttOptions(CLI::App& command, MqttOptions& options, bool withName) {
    CLI::Option* mqtt =
        command
            .add_option(
                "--mqtt", options.url,
                "Publish the judgements to the MQTT broker at mqtt://HOST[:PORT]/PREFIX (1883) or "
                "mqtts://HOST[:PORT]/PREFIX (8883, TLS), under PREFIX/SENSOR/judgement, status, alarm "
                "and stats")
            ->check(UrlCheck())
            ->type_name("URL");
    command
        .add_option("--mqtt-ca", options.caFile,
                    "With mqtts://: the CA certificate (PEM) that signed the broker's")
        ->type_name("FILE")
        ->needs(mqtt);
    command
        .add_option("--mqtt-cert", options.certFile,
                    "With mqtts://: this PC's certificate (PEM), for a broker that asks for one")
        ->type_name("FILE")
        ->needs(mqtt);
    command
        .add_option("--mqtt-key", options.keyFile,
                    "The private key (PEM) of --mqtt-cert, readable by its owner only")
        ->type_name("FILE")
        ->needs(mqtt);
    command
        .add_option("--mqtt-user", options.user,
                    std::string("The user name at the broker; the password is read from ") +
                        kMqttPasswordVariable + ", never from the command line")
        ->type_name("USER")
        ->needs(mqtt);
    command
        .add_option("--mqtt-queue", options.queueLimit,
                    "Messages kept while the broker is away, 1 to 1000000; when full, the oldest judgement "
                    "messages are dropped first (counted in stats)")
        ->check(QueueCheck())
        ->type_name("N")
        ->capture_default_str()
        ->needs(mqtt);
    if (withName) {
        command
            .add_option("--name", options.name,
                        "The sensor's name in the topics (default: the port's name, e.g. COM3 or ttyUSB0)")
            ->check(SensorNameCheck())
            ->type_name("SENSOR")
            ->needs(mqtt);
    }
}

bool MqttSettingsOf(const MqttOptions& options, std::optional<MqttSettings>& settings, std::string& why) {
    settings.reset();
    if (options.url.empty()) {
        return true;
    }
#ifdef TORV_WITHOUT_MQTT
    why = "this build of torvctl has no MQTT";
    return false;
#else
    std::optional<MqttUrl> url = ParseMqttUrl(options.url, why);
    if (!url) {
        why = options.url + " is no broker: " + why;
        return false;
    }
    if (url->tls && options.caFile.empty()) {
        why = "mqtts:// needs --mqtt-ca FILE, the CA certificate that signed the broker's";
        return false;
    }
    if (!url->tls && !(options.caFile + options.certFile + options.keyFile).empty()) {
        why = "--mqtt-ca, --mqtt-cert and --mqtt-key are for an mqtts:// broker";
        return false;
    }
    if (options.certFile.empty() != options.keyFile.empty()) {
        why = "--mqtt-cert and --mqtt-key go together: the certificate and its private key";
        return false;
    }
    MqttSettings made;
    made.url = *url;
    made.caFile = options.caFile;
    made.certFile = options.certFile;
    made.keyFile = options.keyFile;
    made.user = options.user;
    // A password alone cannot be sent: MQTT 3.1.1 takes one only with a user name.
    if (const char* password = std::getenv(kMqttPasswordVariable);
        password != nullptr && !made.user.empty()) {
        made.password = password;
    }
    made.queueLimit = options.queueLimit;
    settings = std::move(made);
    return true;
#endif
}

std::string TopicSafeName(std::string_view portName) {
    for (const std::string_view start : {"/dev/", "rfc2217://"}) {
        if (portName.starts_with(start)) {
            portName.remove_prefix(start.size());
        }
    }
    std::string name;
    for (const char c : portName) {
        const bool plain =
            std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '.' || c == '_' || c == ':';
        name += plain ? c : '-';
    }
    return name.empty() ? std::string("sensor") : name;
}

std::string MqttAlarmMessage(std::string_view sensor, const TrendAlarm& alarm) {
    return AlarmMessage(sensor, alarm, alarm.time);
}

MqttFeed::MqttFeed(MqttSettings settings, std::string sensor, std::string csvName, std::string label)
    : m_settings(std::move(settings)),
      m_sensor(std::move(sensor)),
      m_csvName(std::move(csvName)),
      m_label(std::move(label)),
      m_began(std::chrono::steady_clock::now()),
      m_nextStats(m_began + kStatsInterval) {}

MqttFeed::~MqttFeed() {
    finish();
}

bool MqttFeed::start(std::string& failure) {
#ifdef TORV_WITHOUT_MQTT
    failure = "this build of torvctl has no MQTT";
    return false;
#else
    m_publisher =
        std::make_unique<MqttPublisher>(m_settings, m_sensor, [heard = m_heard](const MqttStatus& status) {
            std::lock_guard lock(heard->mutex);
            heard->statuses.push_back(status);
        });
    m_began = std::chrono::steady_clock::now();
    m_nextStats = m_began + kStatsInterval;
    if (!m_publisher->start(failure)) {
        m_publisher.reset();
        return false;
    }
    return true;
#endif
}

void MqttFeed::judgement(int count, const Judgement& judgement, const std::string& time) {
    m_tally.add(judgement);
#ifndef TORV_WITHOUT_MQTT
    if (m_publisher) {
        m_publisher->publishJudgement(JudgementMessage(m_sensor, count, judgement, time));
    }
#else
    (void)count;
    (void)time;
#endif
}

void MqttFeed::alarm(const TrendAlarm& alarm) {
#ifndef TORV_WITHOUT_MQTT
    if (m_publisher) {
        m_publisher->publishAlarm(MqttAlarmMessage(m_sensor, alarm));
    }
#else
    (void)alarm;
#endif
}

void MqttFeed::say(const MqttStatus& status) {
    std::string line = "torvctl: MQTT: " + m_label + status.text;
    if (status.state == MqttState::kFailed) {
        line += "; nothing more is published, the monitor goes on";
        if (!m_csvName.empty()) {
            line += " and " + m_csvName + " stays complete";
        }
    }
    PrintNotice(line);
}

void MqttFeed::publishStats() {
#ifndef TORV_WITHOUT_MQTT
    if (m_publisher) {
        const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - m_began;
        m_publisher->publishStats(StatsMessage(m_sensor, m_tally, seconds.count(),
                                               m_publisher->counts().dropped,
                                               IsoLocalTimeText(std::chrono::system_clock::now())));
    }
#endif
}

void MqttFeed::sayWhatWasHeard() {
    std::vector<MqttStatus> heard;
    {
        std::lock_guard lock(m_heard->mutex);
        heard.swap(m_heard->statuses);
    }
    for (const MqttStatus& status : heard) {
        say(status);
    }
}

void MqttFeed::tick() {
    sayWhatWasHeard();
    if (!m_finished && std::chrono::steady_clock::now() >= m_nextStats) {
        publishStats();
        m_nextStats += kStatsInterval;
    }
}

void MqttFeed::finish() {
#ifndef TORV_WITHOUT_MQTT
    if (m_finished || !m_publisher) {
        return;
    }
    m_finished = true;
    publishStats();
    m_publisher->stop(kEndGrace);
    sayWhatWasHeard();
    const MqttCounts counts = m_publisher->counts();
    if (counts.dropped > 0) {
        PrintNotice("torvctl: MQTT: " + m_label +
                    Plural(counts.dropped, "judgement message", "judgement messages") +
                    " dropped while the broker was away");
    }
    if (counts.queued > 0) {
        PrintNotice("torvctl: MQTT: " + m_label + Plural(counts.queued, "message was", "messages were") +
                    " still waiting for the broker at the end and not sent");
    }
#endif
}

}  // namespace torv::cli
