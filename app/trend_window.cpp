#include "app/trend_window.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "app/trend_chart.h"
#include "ui/file_name_field.h"
#include "ui/user_prompts.h"

namespace torv {
namespace {

constexpr int kUnreadNamed = 20;  // in the message after opening; the rest are counted
constexpr int kAlarmListWidth = 300;

QString AlarmLine(const TrendAlarm& alarm) {
    return QStringLiteral("Judgement %1, %2\n%3")
        .arg(alarm.judgement)
        .arg(ToQString(alarm.time), ToQString(AlarmText(alarm)));
}

}  // namespace

TrendWindow::TrendWindow(MonitorTrend monitorTrend)
    : m_monitorTrend(std::move(monitorTrend)),
      m_source(new QLabel(this)),
      m_summary(new QLabel(this)),
      m_follow(new QPushButton(QStringLiteral("&Follow the monitor"), this)),
      m_open(new QPushButton(QStringLiteral("&Open result CSV files..."), this)),
      m_charts(new QVBoxLayout),
      m_alarms(new QListWidget(this)) {
    setWindowTitle(QStringLiteral("Trend"));
    setObjectName(QStringLiteral("trendWindow"));
    m_source->setObjectName(QStringLiteral("trendSource"));
    m_summary->setObjectName(QStringLiteral("trendSummary"));
    m_alarms->setObjectName(QStringLiteral("trendAlarms"));
    m_follow->setObjectName(QStringLiteral("followMonitor"));
    m_open->setObjectName(QStringLiteral("openCsvFiles"));
    m_alarms->setMinimumWidth(kAlarmListWidth);
    m_alarms->setWordWrap(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_follow);
    buttons->addWidget(m_open);
    buttons->addStretch();
    auto* chartsPanel = new QWidget;
    chartsPanel->setLayout(m_charts);
    m_charts->addStretch();
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(chartsPanel);
    scroll->setWidgetResizable(true);
    auto* alarms = new QVBoxLayout;
    alarms->addWidget(new QLabel(QStringLiteral("Alarms, newest last:")));
    alarms->addWidget(m_alarms);
    auto* body = new QHBoxLayout;
    body->addWidget(scroll, 1);
    body->addLayout(alarms);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_source);
    layout->addLayout(body, 1);
    layout->addWidget(m_summary);

    connect(m_follow, &QPushButton::clicked, this, &TrendWindow::followMonitor);
    connect(m_open, &QPushButton::clicked, this, &TrendWindow::onOpenFiles);
    m_refreshTimer.setInterval(kRefreshIntervalMs);
    connect(&m_refreshTimer, &QTimer::timeout, this, &TrendWindow::refresh);
    followMonitor();
}

void TrendWindow::followMonitor() {
    m_following = true;
    m_refreshTimer.start();
    showTrend(m_monitorTrend(), QStringLiteral("Following the monitor: the trend of its current run."));
}

void TrendWindow::showTrend(std::shared_ptr<const MarginTrend> trend, const QString& source) {
    m_trend = std::move(trend);
    m_source->setText(source);
    while (m_charts->count() > 1) {
        QLayoutItem* item = m_charts->takeAt(0);
        delete item->widget();
        delete item;
    }
    m_chartsShown = 0;
    m_alarmsShown = 0;
    m_alarms->clear();
    refresh();
}

void TrendWindow::refresh() {
    if (m_following) {
        std::shared_ptr<const MarginTrend> current = m_monitorTrend();
        if (current != m_trend) {
            m_trend = std::move(current);  // a new run: start the charts again
            showTrend(m_trend, m_source->text());
            return;
        }
    }
    if (!m_trend) {
        m_summary->setText(
            QStringLiteral("No monitor has run yet: press Start Monitor, or open result CSV files."));
        return;
    }
    if (m_chartsShown == 0) {
        m_charts->insertWidget(0, new NgRateChart(m_trend));
    }
    for (; m_chartsShown < m_trend->positions().size(); ++m_chartsShown) {
        m_charts->insertWidget(static_cast<int>(m_chartsShown),
                               new PositionTrendChart(m_trend, m_chartsShown));
    }
    const std::vector<TrendAlarm>& alarms = m_trend->alarms();
    for (; m_alarmsShown < alarms.size(); ++m_alarmsShown) {
        m_alarms->addItem(AlarmLine(alarms[m_alarmsShown]));
    }
    m_alarms->scrollToBottom();
    m_summary->setText(QStringLiteral("%1 judgements, %2 NG, %3 alarms; normal level from the first %4")
                           .arg(m_trend->judgements())
                           .arg(m_trend->ngCount())
                           .arg(alarms.size())
                           .arg(m_trend->baselineJudgements()));
    for (QWidget* chart : findChildren<PositionTrendChart*>()) {
        chart->update();
    }
    if (auto* rate = findChild<NgRateChart*>()) {
        rate->update();
    }
}

bool TrendWindow::openFiles(const QStringList& paths, std::vector<UnreadRecord>& unread, QString& failure) {
    std::vector<std::string> names;
    for (const QString& path : paths) {
        names.push_back(FileNameBytes(path));
    }
    auto trend = std::make_shared<MarginTrend>();
    std::vector<UnreadRecord> skipped;
    for (const std::string& name : InLoggedOrder(names)) {
        std::string reason;
        if (!ReadResultCsv(
                name, [&](const Judgement& judgement, std::string_view time) { trend->add(judgement, time); },
                skipped, reason)) {
            failure = FileNameText(reason);
            return false;
        }
    }
    unread = std::move(skipped);
    m_following = false;
    m_refreshTimer.stop();
    QStringList shown;
    for (const std::string& name : InLoggedOrder(names)) {
        shown << QFileInfo(FileNameText(name)).fileName();
    }
    showTrend(
        std::move(trend),
        QStringLiteral("Result CSV files, in the order written: %1").arg(shown.join(QStringLiteral(", "))));
    return true;
}

void TrendWindow::onOpenFiles() {
    const QStringList paths = QFileDialog::getOpenFileNames(
        this, QStringLiteral("Open result CSV files"), QString(), QStringLiteral("Result CSV files (*.csv)"));
    if (paths.isEmpty()) {
        return;
    }
    std::vector<UnreadRecord> unread;
    QString failure;
    if (!openFiles(paths, unread, failure)) {
        QMessageBox::warning(this, QStringLiteral("Trend"), failure);
        return;
    }
    if (!unread.empty()) {
        QStringList lines;
        for (std::size_t i = 0; i < unread.size() && i < kUnreadNamed; ++i) {
            lines << FileNameText(unread[i].text());
        }
        if (unread.size() > kUnreadNamed) {
            lines << QStringLiteral("... and %1 more.").arg(unread.size() - kUnreadNamed);
        }
        QMessageBox::warning(this, QStringLiteral("Trend"),
                             QStringLiteral("These records could not be read and were skipped:\n%1")
                                 .arg(lines.join(QLatin1Char('\n'))));
    }
}

}  // namespace torv
