#pragma once
// The monitor read from across the line, under its result boxes: the last NG held with its time and
// characters, the counts with the yield and the NG rate, and the last judgements, newest first. A trend
// alarm shows above them in amber, and the judgement box turns amber with it, until it is acknowledged.

#include <QElapsedTimer>
#include <QWidget>

#include "monitor/judgement_tally.h"
#include "monitor/margin_trend.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace torv {

class MonitorDashboard : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kHistoryKept = 50;

    explicit MonitorDashboard(QWidget* parent = nullptr);

    // A clean display for a new run.
    void reset();
    void add(const Judgement& judgement, int count);

    const JudgementTally& tally() const { return m_tally; }
    double runSeconds() const { return static_cast<double>(m_run.elapsed()) / 1000.0; }

    // Shows the alarm until acknowledged (a later one replaces it).
    void showAlarm(const TrendAlarm& alarm);
    bool alarmPending() const;

  signals:
    void alarmAcknowledged();

  private:
    void acknowledgeAlarm();

    JudgementTally m_tally;
    QElapsedTimer m_run;
    QPushButton* m_alarm;
    QLabel* m_lastNg;
    QLabel* m_counts;
    QListWidget* m_history;
};

// Puts a reading into a result box, in a smaller font when it would not fit at the box's own: every one
// of the up to 32 characters a reading holds stays in view.
void ShowReading(QLineEdit* box, const QString& reading);
// What a result box needs besides its text: its frame and the text's own margins, both sides.
inline constexpr int kReadingBoxMargin = 10;

// Colours the judgement box as its judgement: green OK, red NG, grey "--" (none: no judgement yet);
// amber instead of green or grey while a trend alarm waits to be acknowledged.
void ShowJudgementColour(QLabel* box, int code, bool alarmPending = false);

}  // namespace torv
