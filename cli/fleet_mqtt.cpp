#include "cli/fleet_mqtt.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <utility>

#include "monitor/iso_time.h"
#include "monitor/judgement_message.h"

namespace torv::cli {
namespace {

#ifndef TORV_WITHOUT_MQTT

constexpr std::chrono::milliseconds kEndGrace{2000};

std::string Counted(std::uint64_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

class MqttSensorListener : public SensorListener {
  public:
    MqttSensorListener(const MqttSettings& settings, const std::string& name, const FleetNotice& say,
                       const std::string& csvName)
        : m_name(name),
          m_say(say),
          // Called on libmosquitto's thread: the notice only queues the line.
          m_publisher(settings, name,
                      [say, prefix = "torvctl: MQTT: " + name + ": ", csvName](const MqttStatus& status) {
                          std::string line = prefix + status.text;
                          if (status.state == MqttState::kFailed) {
                              line += "; nothing more is published, the monitor goes on";
                              if (!csvName.empty()) {
                                  line += " and " + csvName + " stays complete";
                              }
                          }
                          say(std::move(line));
                      }) {}

    bool start(std::string& failure) { return m_publisher.start(failure); }

    void judged(const Judgement& judgement, int count, const std::string& time) override {
        m_publisher.publishJudgement(JudgementMessage(m_name, count, judgement, time));
    }
    void alarm(const TrendAlarm& alarm) override {
        m_publisher.publishAlarm(AlarmMessage(m_name, alarm, alarm.time));
    }
    void stats(const SensorTotals& totals) override {
        m_publisher.publishStats(StatsMessage(m_name, totals.tally, totals.seconds,
                                              m_publisher.counts().dropped,
                                              IsoLocalTimeText(std::chrono::system_clock::now())));
    }
    // The status topic is the connection's; a silent sensor shows in its stats no longer growing.
    void silent(const std::string&) override {}
    void answering() override {}

    void ended() override {
        m_publisher.stop(kEndGrace);
        const MqttCounts counts = m_publisher.counts();
        const std::string prefix = "torvctl: MQTT: " + m_name + ": ";
        if (counts.dropped > 0) {
            m_say(prefix + Counted(counts.dropped, "judgement message", "judgement messages") +
                  " dropped while the broker was away");
        }
        if (counts.queued > 0) {
            m_say(prefix + Counted(counts.queued, "message was", "messages were") +
                  " still waiting for the broker at the end and not sent");
        }
    }

  private:
    std::string m_name;
    FleetNotice m_say;
    MqttPublisher m_publisher;
};

#endif

}  // namespace

SensorListenerFactory MqttListeners(const MqttSettings& settings, const std::string& csvFolder) {
    return [settings, csvFolder](const FleetSensor& sensor, const FleetNotice& say,
                                 std::string& failure) -> std::unique_ptr<SensorListener> {
#ifdef TORV_WITHOUT_MQTT
        (void)settings;
        (void)csvFolder;
        (void)sensor;
        (void)say;
        failure = "this build of torvctl has no MQTT";
        return nullptr;
#else
        const std::string csvName =
            csvFolder.empty() ? std::string()
                              : (std::filesystem::path(csvFolder) / (sensor.name + ".csv")).string();
        auto listener = std::make_unique<MqttSensorListener>(settings, sensor.name, say, csvName);
        if (!listener->start(failure)) {
            failure = "MQTT: " + failure;
            return nullptr;
        }
        return listener;
#endif
    };
}

}  // namespace torv::cli
