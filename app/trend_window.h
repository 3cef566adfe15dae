#pragma once
// The "Trend" window (F6, or "Trend..." in the monitor group): the margin trend of every character
// position as a small chart, the NG rate under them and the alarms beside. It follows the running
// monitor, refreshed twice a second, or shows result CSV files chosen from disk. A window of its own,
// like the protocol trace, so that it stays usable while the monitor runs.

#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

#include "monitor/margin_trend.h"
#include "monitor/result_csv_reader.h"

class QLabel;
class QListWidget;
class QPushButton;
class QVBoxLayout;

namespace torv {

class TrendWindow : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kRefreshIntervalMs = 500;

    // The trend of the monitor's current run (null before the first Start).
    using MonitorTrend = std::function<std::shared_ptr<const MarginTrend>()>;
    explicit TrendWindow(MonitorTrend monitorTrend);

    void followMonitor();
    // Reads the files as one run, in the order they were written (see InLoggedOrder). False, with the
    // reason in `failure`, when a file cannot be read; then the window shows what it showed before.
    bool openFiles(const QStringList& paths, std::vector<UnreadRecord>& unread, QString& failure);

    const MarginTrend* shownTrend() const { return m_trend.get(); }
    bool following() const { return m_following; }
    // Brings charts, alarms and the summary up to date with the trend shown.
    void refresh();

  private:
    void showTrend(std::shared_ptr<const MarginTrend> trend, const QString& source);
    void onOpenFiles();

    MonitorTrend m_monitorTrend;
    std::shared_ptr<const MarginTrend> m_trend;
    bool m_following = false;
    std::size_t m_chartsShown = 0;
    std::size_t m_alarmsShown = 0;
    QLabel* m_source;
    QLabel* m_summary;
    QPushButton* m_follow;
    QPushButton* m_open;
    QVBoxLayout* m_charts;
    QListWidget* m_alarms;
    QTimer m_refreshTimer;
};

}  // namespace torv
