#pragma once
// The monitor read from across the line, under its result boxes: the last NG held with its time and
// characters, the counts with the yield and the NG rate, and the last judgements, newest first.

#include <QElapsedTimer>
#include <QWidget>

#include "monitor/judgement_tally.h"

class QLabel;
class QListWidget;

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

  private:
    JudgementTally m_tally;
    QElapsedTimer m_run;
    QLabel* m_lastNg;
    QLabel* m_counts;
    QListWidget* m_history;
};

// Colours the judgement box as its judgement: green OK, red NG, grey "--" (none: no judgement yet).
void ShowJudgementColour(QLabel* box, int code);

}  // namespace torv
