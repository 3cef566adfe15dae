#pragma once
// The main window's "Monitor" group: Start Monitor runs the poll loop inside its own handler, keeping
// the window alive by letting pending events through between polls; Stop Monitor (pressed inside that
// loop, or called by Exit) ends it. While it runs, only "Stop Monitor" can be pressed.

#include <QObject>

#include <memory>
#include <utility>
#include <vector>

#include "app/preferences.h"
#include "engine/operation_state.h"
#include "monitor/margin_trend.h"
#include "monitor/result_monitor.h"

class QDialog;
class QWidget;

namespace torv {

class MonitorPublishing;

class MonitorController : public QObject, public MonitorHost {
    Q_OBJECT
  public:
    // Works on the monitor controls of `window`, found by their ids.
    MonitorController(QDialog* window, OperationState& state);

    bool running() const { return m_running; }
    // The margin trend of the current run (a new one at every Start; null before the first).
    std::shared_ptr<const MarginTrend> trend() const { return m_trend; }
    // Where the next run publishes (the preferences' broker, or nowhere).
    void setPublishing(const Preferences& preferences) { m_publishingPreferences = preferences; }
    MonitorPublishing* publishing() const { return m_publishing; }
    // Runs the monitor; returns when it has stopped.
    void start();
    // Stops a running monitor: the controls come back, the port and the result CSV are closed.
    void stop();

    void showJudgement(const Judgement& judgement) override;
    void showCount(int count) override;
    void pumpMessages() override;

  private:
    void disableControls();
    void restoreControls();
    // LastErrorText in the "Error" box, with the facts of LastErrorDetail under it.
    void showError();
    void clearDisplay();
    void recolourJudgement();
    QWidget* control(int id) const;

    QDialog* m_window;
    OperationState& m_state;
    ResultMonitor m_monitor;
    bool m_running = false;
    Judgement m_lastJudgement;  // shown, until its count comes
    std::shared_ptr<MarginTrend> m_trend;
    Preferences m_publishingPreferences;
    MonitorPublishing* m_publishing;
    // The controls Start disabled, in order, each with whether it was enabled before.
    std::vector<std::pair<QWidget*, bool>> m_disabled;
};

}  // namespace torv
