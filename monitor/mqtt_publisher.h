#pragma once
// Judgements for the plant's MQTT broker, through libmosquitto: one connection per sensor, so that
// each sensor's "offline" can be its connection's will. Topics, under the URL's prefix, per sensor
// (the fleet name, or the monitor's --name):
//   PREFIX/SENSOR/judgement  one JSON message per judgement, QoS 1, not retained
//   PREFIX/SENSOR/status     "online" / "offline", retained; "offline" is also the connection's will
//   PREFIX/SENSOR/alarm      one JSON message per trend alarm, QoS 1
//   PREFIX/SENSOR/stats      counts, yield, NG per hour, dropped messages; retained, once a minute
// A broker that goes away never blocks or slows the monitor: publish() only queues, a network thread of
// the publisher's own sends and reconnects (after 1, 2, 4 ... s, at most every 30 s), and when the queue
// is full the oldest judgement messages go first (status, alarm and stats messages are never dropped
// for them). The CSV on disk is the complete record. Without libmosquitto (the Windows cross-build)
// only the URL and topic functions are built, and TORV_WITHOUT_MQTT is defined.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace torv {

struct MqttUrl {
    bool tls = false;  // mqtts://
    std::string host;
    int port = 0;        // 1883, or 8883 with TLS, unless the URL names one
    std::string prefix;  // without leading or trailing '/'; may be empty
};

// "mqtt://HOST[:PORT]/PREFIX" or "mqtts://..."; nothing, with the reason in `why`, for anything else
// (another scheme, no host, a port outside 1..65535, a prefix with '+', '#' or an empty level).
// Parsing and the topics below are in every build, also one without libmosquitto.
std::optional<MqttUrl> ParseMqttUrl(std::string_view text, std::string& why);

// Why `level` cannot be one level of a topic (a sensor's name): empty, '/', '+', '#', a control
// character, or a leading '$' (the broker's own topics); empty when it can.
std::string MqttLevelProblem(std::string_view level);

struct MqttSettings {
    MqttUrl url;
    std::string caFile;    // mqtts: the CA that signed the broker's certificate (required)
    std::string certFile;  // mqtts: this PC's certificate and key, when the broker asks for one
    std::string keyFile;
    std::string user;      // empty: no user name
    std::string password;  // from TORV_MQTT_PASSWORD, never from the command line
    std::string clientId;  // empty: one made of the host name, the process id and the sensor
    std::size_t queueLimit = kDefaultQueueLimit;  // judgement messages beyond it drop the oldest
    std::chrono::seconds keepAlive{30};

    static constexpr std::size_t kDefaultQueueLimit = 10000;  // messages waiting for the broker
};

enum class MqttState { kConnecting, kConnected, kDisconnected, kFailed };

// "connected to broker.plant:1883", "reconnecting to broker.plant:1883 (connection refused)", ...
struct MqttStatus {
    MqttState state = MqttState::kConnecting;
    std::string text;
};

struct MqttCounts {
    std::uint64_t published = 0;  // handed to the broker and acknowledged (QoS 1)
    std::uint64_t dropped = 0;    // judgement messages dropped because the queue was full
    std::size_t queued = 0;       // waiting now, or after stop(): never sent
};

class MqttPublisher {
  public:
    // Called from libmosquitto's thread whenever the connection state changes; keep it short.
    using StatusListener = std::function<void(const MqttStatus&)>;

    MqttPublisher(MqttSettings settings, std::string sensor, StatusListener listener = {});
    ~MqttPublisher();  // stop() if still running
    MqttPublisher(const MqttPublisher&) = delete;
    MqttPublisher& operator=(const MqttPublisher&) = delete;

    // Starts connecting in the background: false, with the reason in `failure`, only for what can
    // never work (a CA file that cannot be read, a key readable by others, TLS settings the library
    // refuses). A broker that is down or unknown is no failure: the status says so and it retries.
    bool start(std::string& failure);

    // The will is "offline" on the status topic; once connected, and again after every reconnect,
    // "online" is published there (retained).

    // Queue one message for PREFIX/SENSOR/KIND; never blocks.
    void publishJudgement(std::string payload);
    void publishAlarm(std::string payload);
    void publishStats(std::string payload);

    // Publishes "offline" (retained), waits up to `grace` for the queue to drain, then disconnects.
    // Safe to call twice.
    void stop(std::chrono::milliseconds grace = std::chrono::milliseconds(2000));

    MqttStatus status() const;
    MqttCounts counts() const;

  private:
    struct Impl;
    std::shared_ptr<Impl> m_impl;  // shared with the network thread, which may outlive stop()
};

// The topic of `kind` ("judgement", "status", "alarm", "stats") for a sensor under the URL's prefix.
std::string MqttTopic(const MqttUrl& url, std::string_view sensor, std::string_view kind);

}  // namespace torv
