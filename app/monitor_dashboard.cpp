#include "app/monitor_dashboard.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTime>
#include <QVBoxLayout>

#include "ui/colour_scheme.h"
#include "ui/user_prompts.h"

namespace torv {
namespace {

constexpr int kHistoryLinesInView = 5;
constexpr qreal kSmallestReadingPoints = 5.0;
constexpr qreal kReadingShrinkStep = 0.5;

QString Characters(const Judgement& judgement) {
    return ToQString(judgement.bestCharacters());
}

}  // namespace

MonitorDashboard::MonitorDashboard(QWidget* parent)
    : QWidget(parent),
      m_alarm(new QPushButton(this)),
      m_lastNg(new QLabel(this)),
      m_counts(new QLabel(this)),
      m_history(new QListWidget(this)) {
    setObjectName(QStringLiteral("monitorDashboard"));
    m_alarm->setObjectName(QStringLiteral("trendAlarm"));
    m_alarm->setStyleSheet(
        QStringLiteral("background-color: #f9a825; color: black; font-weight: bold; "
                       "text-align: left; padding: 4px;"));
    m_alarm->setToolTip(QStringLiteral("Press to acknowledge; the Trend window (F6) shows the charts"));
    m_alarm->hide();
    connect(m_alarm, &QPushButton::clicked, this, &MonitorDashboard::acknowledgeAlarm);
    m_lastNg->setObjectName(QStringLiteral("lastNg"));
    m_counts->setObjectName(QStringLiteral("counts"));
    m_history->setObjectName(QStringLiteral("history"));
    m_lastNg->setStyleSheet(
        QStringLiteral("color: %1; font-weight: bold;").arg(NgTextColour(palette()).name()));
    m_history->setMaximumHeight(m_history->fontMetrics().lineSpacing() * kHistoryLinesInView +
                                2 * m_history->frameWidth());
    m_history->setToolTip(
        QStringLiteral("The last judgements, newest first: time, judgement, characters, "
                       "the worst character's difference"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_alarm);
    layout->addWidget(m_lastNg);
    layout->addWidget(m_counts);
    layout->addWidget(m_history);
    reset();
}

void MonitorDashboard::reset() {
    m_tally = {};
    m_run.start();
    m_alarm->hide();
    m_lastNg->clear();
    m_history->clear();
    m_counts->setText(QStringLiteral("OK 0   NG 0   -- 0"));
}

void MonitorDashboard::add(const Judgement& judgement, int count) {
    m_tally.add(judgement);
    const QString time = QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
    if (judgement.code == kJudgedNg) {
        m_lastNg->setText(
            QStringLiteral("Last NG %1 (count %2): %3").arg(time).arg(count).arg(Characters(judgement)));
    }
    const double seconds = static_cast<double>(m_run.elapsed()) / 1000.0;
    m_counts->setText(QStringLiteral("OK %1   NG %2   -- %3   yield %4 %   %5 NG/h")
                          .arg(m_tally.ok)
                          .arg(m_tally.ng)
                          .arg(m_tally.none)
                          .arg(m_tally.yieldPercent(), 0, 'f', 1)
                          .arg(m_tally.ngPerHour(seconds), 0, 'f', 1));
    m_history->insertItem(0, QStringLiteral("%1  %2  %3  worst %4")
                                 .arg(time, ToQString(judgement.text()), Characters(judgement))
                                 .arg(WorstDifference(judgement)));
    while (m_history->count() > kHistoryKept) {
        delete m_history->takeItem(m_history->count() - 1);
    }
}

void MonitorDashboard::showAlarm(const TrendAlarm& alarm) {
    m_alarm->setText(
        QStringLiteral("Trend alarm %1: %2 (press to acknowledge)")
            .arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")), ToQString(AlarmText(alarm))));
    m_alarm->show();
}

bool MonitorDashboard::alarmPending() const {
    return !m_alarm->isHidden();
}

void MonitorDashboard::acknowledgeAlarm() {
    m_alarm->hide();
    emit alarmAcknowledged();
}

void ShowReading(QLineEdit* box, const QString& reading) {
    box->setText(reading);
    QFont font = box->parentWidget() != nullptr ? box->parentWidget()->font() : box->font();
    const int room = box->width() - kReadingBoxMargin;
    while (QFontMetricsF(font).horizontalAdvance(reading) > room &&
           font.pointSizeF() > kSmallestReadingPoints) {
        font.setPointSizeF(font.pointSizeF() - kReadingShrinkStep);
    }
    if (font != box->font()) {
        box->setFont(font);
    }
    box->setCursorPosition(0);
}

void ShowJudgementColour(QLabel* box, int code, bool alarmPending) {
    const char* colour = code == kJudgedNg   ? "#c62828"
                         : alarmPending      ? "#f9a825"
                         : code == kJudgedOk ? "#1b8a2e"
                                             : "#9e9e9e";
    const char* text = code != kJudgedNg && alarmPending ? "black" : "white";
    box->setStyleSheet(QStringLiteral("background-color: %1; color: %2; font-weight: bold; font-size: 16pt;")
                           .arg(QLatin1String(colour), QLatin1String(text)));
}

}  // namespace torv
