#include "app/monitor_publishing.h"

#include <chrono>
#include <cstdlib>

#include "monitor/iso_time.h"
#include "monitor/judgement_message.h"
#include "monitor/mqtt_publisher.h"
#include "ui/file_name_field.h"

namespace torv {
namespace {

constexpr const char* kPasswordVariable = "TORV_MQTT_PASSWORD";

std::string Now() {
    return IsoLocalTimeText(std::chrono::system_clock::now());
}

}  // namespace

MonitorPublishing::MonitorPublishing(QObject* parent) : QObject(parent) {}

MonitorPublishing::~MonitorPublishing() = default;

bool MonitorPublishing::start(const Preferences& preferences, QString& failure) {
    m_publisher.reset();
    if (preferences.mqttUrl.isEmpty()) {
        emit statusChanged(QStringLiteral("MQTT: not published"));
        return true;
    }
    std::string why;
    const std::optional<MqttUrl> url = ParseMqttUrl(preferences.mqttUrl.toStdString(), why);
    if (!url) {
        failure = QStringLiteral("The broker URL %1 cannot be used: %2")
                      .arg(preferences.mqttUrl, QString::fromStdString(why));
        return false;
    }
    MqttSettings settings;
    settings.url = *url;
    settings.caFile = FileNameBytes(preferences.mqttCaFile);
    settings.user = preferences.mqttUser.toStdString();
    if (const char* password = std::getenv(kPasswordVariable)) {
        settings.password = password;
    }
    m_sensor = preferences.mqttSensor.toStdString();
    m_publisher = std::make_unique<MqttPublisher>(settings, m_sensor, [this](const MqttStatus& status) {
        emit statusChanged(QStringLiteral("MQTT: %1").arg(QString::fromStdString(status.text)));
    });
    std::string reason;
    if (!m_publisher->start(reason)) {
        m_publisher.reset();
        failure = QString::fromStdString(reason);
        return false;
    }
    m_sinceStats.start();
    return true;
}

void MonitorPublishing::judgement(const Judgement& judgement, int count, const JudgementTally& tally,
                                  double seconds) {
    if (!m_publisher) {
        return;
    }
    m_publisher->publishJudgement(JudgementMessage(m_sensor, count, judgement, Now()));
    if (m_sinceStats.elapsed() >= kStatsIntervalMs) {
        publishStats(tally, seconds);
    }
}

void MonitorPublishing::alarm(const TrendAlarm& alarm) {
    if (m_publisher) {
        m_publisher->publishAlarm(AlarmMessage(m_sensor, alarm, Now()));
    }
}

void MonitorPublishing::publishStats(const JudgementTally& tally, double seconds) {
    m_publisher->publishStats(StatsMessage(m_sensor, tally, seconds, m_publisher->counts().dropped, Now()));
    m_sinceStats.restart();
}

void MonitorPublishing::stop(const JudgementTally& tally, double seconds) {
    if (!m_publisher) {
        return;
    }
    publishStats(tally, seconds);
    m_publisher->stop();
    const MqttCounts counts = m_publisher->counts();
    m_publisher.reset();
    emit statusChanged(
        counts.dropped == 0
            ? QStringLiteral("MQTT: run published")
            : QStringLiteral("MQTT: run published, %1 judgement messages dropped while the broker was away")
                  .arg(counts.dropped));
}

}  // namespace torv
