#pragma once
// Publishing a monitor's judgements to MQTT from torvctl: the options every monitoring command shares
// (--mqtt URL, --mqtt-ca, --mqtt-cert, --mqtt-key, --mqtt-user, --mqtt-queue and --name), the settings
// they give, and MqttFeed, one sensor's publishing during a run with what it says on stderr. The
// password comes from TORV_MQTT_PASSWORD only: a command line is visible to every user of the PC.

#include <CLI/CLI.hpp>
#include <chrono>
#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "monitor/judgement.h"
#include "monitor/judgement_tally.h"
#include "monitor/margin_trend.h"
#include "monitor/mqtt_publisher.h"

namespace torv::cli {

inline constexpr const char* kMqttPasswordVariable = "TORV_MQTT_PASSWORD";
// The most messages --mqtt-queue keeps: judgement messages are a few hundred bytes each.
inline constexpr std::size_t kLongestMqttQueue = 1000000;

struct MqttOptions {
    std::string url;  // --mqtt; empty: nothing is published
    std::string caFile;
    std::string certFile;
    std::string keyFile;
    std::string user;
    std::size_t queueLimit = MqttSettings::kDefaultQueueLimit;
    std::string name;  // --name; empty: made of the port's name
};

// Adds the options to `command`; --name only with `withName` (a fleet names its sensors itself).
// Each one but --mqtt needs --mqtt.
void AddMqttOptions(CLI::App& command, MqttOptions& options, bool withName = true);

// The settings the options give: false, with the reason in `why`, when they cannot work together
// (mqtts:// without --mqtt-ca, a certificate without its key, --mqtt-ca with mqtt://, a build without
// MQTT). `settings` stays empty when --mqtt was not given.
bool MqttSettingsOf(const MqttOptions& options, std::optional<MqttSettings>& settings, std::string& why);

// A port's name as a sensor's name in topics: without "/dev/" or "rfc2217://", each character other
// than a letter, a digit, '.', '_', ':' or '-' as '-': "/dev/ttyUSB0" is "ttyUSB0", "COM3" stays.
std::string TopicSafeName(std::string_view portName);

// The alarm message: {"sensor": ..., then the fields `monitor --trend --json` prints for an alarm}.
std::string MqttAlarmMessage(std::string_view sensor, const TrendAlarm& alarm);

// One sensor's publishing during a run. The connection's changes are said on stderr from the
// monitor's own thread (in tick() and finish()), as "torvctl: MQTT: connected to HOST:PORT".
class MqttFeed {
  public:
    static constexpr std::chrono::seconds kStatsInterval{60};

    // `label` goes before every line said ("filler-1: "), `csvName` names the log that stays complete
    // (empty: none).
    MqttFeed(MqttSettings settings, std::string sensor, std::string csvName = {}, std::string label = {});
    ~MqttFeed();
    MqttFeed(const MqttFeed&) = delete;
    MqttFeed& operator=(const MqttFeed&) = delete;

    // Starts connecting in the background; false, with the reason in `failure`, for settings that can
    // never work (a file that cannot be read). A broker that is away is no failure.
    bool start(std::string& failure);
    void judgement(int count, const Judgement& judgement, const std::string& time);
    void alarm(const TrendAlarm& alarm);
    // Between polls: says what the connection did, and publishes the counts once a minute.
    void tick();
    // The last counts and "offline", waiting up to 2 s for the broker; then says on stderr what was
    // dropped or never sent. Safe to call twice.
    void finish();

  private:
    void say(const MqttStatus& status);
    void sayWhatWasHeard();
    void publishStats();

    MqttSettings m_settings;
    std::string m_sensor;
    std::string m_csvName;
    std::string m_label;
    JudgementTally m_tally;
    std::chrono::steady_clock::time_point m_began;
    std::chrono::steady_clock::time_point m_nextStats;
    bool m_finished = false;
    // What the network thread reported, said by tick(); shared with it, as it may outlive the feed.
    struct Heard {
        std::mutex mutex;
        std::vector<MqttStatus> statuses;
    };
    std::shared_ptr<Heard> m_heard = std::make_shared<Heard>();
#ifndef TORV_WITHOUT_MQTT
    std::unique_ptr<MqttPublisher> m_publisher;
#endif
};

}  // namespace torv::cli
