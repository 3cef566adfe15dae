#pragma once
// The desktop monitor's judgements on the plant's MQTT broker, when the preferences name one: one
// connection per run, opened at Start and closed at Stop, the same topics and payloads as torvctl's
// monitor. A broker that is away costs the monitor nothing; the status bar says how the connection goes.

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <memory>

#include "app/preferences.h"
#include "monitor/judgement.h"
#include "monitor/judgement_tally.h"
#include "monitor/margin_trend.h"

namespace torv {

class MqttPublisher;

class MonitorPublishing : public QObject {
    Q_OBJECT
  public:
    static constexpr qint64 kStatsIntervalMs = 60000;

    explicit MonitorPublishing(QObject* parent = nullptr);
    ~MonitorPublishing() override;

    // A run starts: connects when the preferences name a broker. False, with the reason, for settings
    // that can never work; the monitor then runs without publishing.
    bool start(const Preferences& preferences, QString& failure);
    bool active() const { return m_publisher != nullptr; }

    void judgement(const Judgement& judgement, int count, const JudgementTally& tally, double seconds);
    void alarm(const TrendAlarm& alarm);
    // The run's last counts and "offline"; then the connection closes.
    void stop(const JudgementTally& tally, double seconds);

  signals:
    // "MQTT: connected to broker.plant:1883", "MQTT: not published" ...; from any thread.
    void statusChanged(const QString& text);

  private:
    void publishStats(const JudgementTally& tally, double seconds);

    std::unique_ptr<MqttPublisher> m_publisher;
    std::string m_sensor;
    QElapsedTimer m_sinceStats;
};

}  // namespace torv
