#include "app/monitor_controller.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>

#include <array>
#include <chrono>

#include "app/main_window_ids.h"
#include "app/monitor_dashboard.h"
#include "app/monitor_publishing.h"
#include "app/unfinished_write_box.h"
#include "link/frames.h"
#include "ui/control_ids.h"
#include "ui/file_name_field.h"
#include "ui/user_prompts.h"

namespace torv {
namespace {

// Start disables these, in this order, and Stop enables them again in the same order: with the three
// monitor controls, every control of the window but the result displays.
constexpr std::array kControlsDisabledWhileRunning{
    kIdMonitorRef,     kIdMonitorName,     kIdParameterRef,     kIdParameterName,
    kIdReadParameters, kIdEditParameters,  kIdWriteParameters,  kIdDictionaryRef,
    kIdDictionaryName, kIdReadRecognized,  kIdReadNgCharacters, kIdReadDictionary,
    kIdEditDictionary, kIdWriteDictionary, kIdNgDataRef,        kIdNgDataName,
    kIdNgDataNumber,   kIdReadNgData,      kIdDisplayNgData,    kIdConvertNgData,
    kIdExit,           kIdComPort,         kIdBaudRate,         kIdRemoteControl,
    kIdSetClock,
};

}  // namespace

MonitorController::MonitorController(QDialog* window, OperationState& state)
    : QObject(window),
      m_window(window),
      m_state(state),
      m_monitor(state),
      m_trend(std::make_shared<MarginTrend>()),
      m_publishing(new MonitorPublishing(this)) {
    control(kIdStopMonitor)->setEnabled(false);
    connect(m_window->findChild<MonitorDashboard*>(), &MonitorDashboard::alarmAcknowledged, this,
            &MonitorController::recolourJudgement);
}

QWidget* MonitorController::control(int id) const {
    return FindControl(m_window, id);
}

// A clean display at every start: nothing of an earlier run stays, also when this one fails to start.
void MonitorController::clearDisplay() {
    for (int id : {kIdBestCharacters, kIdNumericalCharacters, kIdAlphabeticCharacters}) {
        FindControl<QLineEdit>(m_window, id)->clear();
    }
    for (int id : {kIdJudgement, kIdJudgementCount}) {
        FindControl<QLabel>(m_window, id)->clear();
    }
    ShowJudgementColour(FindControl<QLabel>(m_window, kIdJudgement), kNoNewJudgement);
    m_window->findChild<MonitorDashboard*>()->reset();
    m_lastJudgement = {};
    m_trend = std::make_shared<MarginTrend>();
}

void MonitorController::recolourJudgement() {
    ShowJudgementColour(FindControl<QLabel>(m_window, kIdJudgement), m_lastJudgement.code,
                        m_window->findChild<MonitorDashboard*>()->alarmPending());
}

void MonitorController::start() {
    clearDisplay();
    m_monitor.reset();
    m_state.AbortRequest = false;
    m_running = true;
    disableControls();
    const bool csvEnabled = FindControl<QCheckBox>(m_window, kIdGeneratesCsv)->isChecked();
    const std::string csvName = FileNameBytes(FindControl<QLineEdit>(m_window, kIdMonitorName)->text());
    if (csvEnabled && !m_monitor.acceptCsvName(csvName)) {
        showError();
        stop();
        return;
    }
    m_state.ComPortNumber = FindControl<QComboBox>(m_window, kIdComPort)->currentIndex() + 1;
    m_state.BaudIndex = FindControl<QComboBox>(m_window, kIdBaudRate)->currentIndex();
    WarnOfUnfinishedWrite(m_window, m_state.ComPortNumber);
    if (m_monitor.openLink() != kLinkOpened) {
        showError();
        stop();
        return;
    }
    control(kIdStopMonitor)->setFocus();
    if (csvEnabled && !m_monitor.createCsv(csvName)) {
        showError();
        stop();
        return;
    }
    QString publishingFailure;
    if (!m_publishing->start(m_publishingPreferences, publishingFailure)) {
        // The log is the record: the run goes on, unpublished, and says so once.
        Prompts().showDetailed(
            m_window, Caption::kError, Icon::kExclamation,
            QStringLiteral("The judgements are not published to MQTT; the monitor runs on."),
            publishingFailure);
    }
    const MonitorEnd end = RunMonitorLoop(m_monitor, m_state, *this);
    // A Stop pressed meanwhile has already done the rest; a failure is shown once, then stops.
    if (!m_state.AbortRequest && end == MonitorEnd::kFailed) {
        showError();
        stop();
    }
}

void MonitorController::stop() {
    if (!m_running) {
        return;
    }
    m_state.AbortRequest = true;
    m_running = false;
    restoreControls();
    m_monitor.close();
    const auto* dashboard = m_window->findChild<MonitorDashboard*>();
    m_publishing->stop(dashboard->tally(), dashboard->runSeconds());
    // Not on Start: an Enter meant for Stop, a moment late, would start again and move the log aside.
    control(kIdMonitorName)->setFocus();
}

void MonitorController::disableControls() {
    control(kIdStartMonitor)->setEnabled(false);
    control(kIdStopMonitor)->setEnabled(true);
    control(kIdGeneratesCsv)->setEnabled(false);
    m_disabled.clear();
    for (int id : kControlsDisabledWhileRunning) {
        QWidget* widget = control(id);
        m_disabled.emplace_back(widget, widget->isEnabled());
        widget->setEnabled(false);
    }
}

// A control that could not be pressed before the start (a feature this build lacks) stays disabled.
void MonitorController::restoreControls() {
    control(kIdStartMonitor)->setEnabled(true);
    control(kIdStopMonitor)->setEnabled(false);
    control(kIdGeneratesCsv)->setEnabled(true);
    for (const auto& [widget, wasEnabled] : m_disabled) {
        widget->setEnabled(wasEnabled);
    }
    m_disabled.clear();
}

void MonitorController::showError() {
    Prompts().showDetailed(m_window, Caption::kError, Icon::kStop, ToQString(m_state.LastErrorText),
                           ToQString(m_state.LastErrorDetail));
}

void MonitorController::showJudgement(const Judgement& judgement) {
    ShowReading(FindControl<QLineEdit>(m_window, kIdBestCharacters), ToQString(judgement.bestCharacters()));
    ShowReading(FindControl<QLineEdit>(m_window, kIdNumericalCharacters),
                ToQString(judgement.numericalCharacters()));
    ShowReading(FindControl<QLineEdit>(m_window, kIdAlphabeticCharacters),
                ToQString(judgement.alphabeticCharacters()));
    auto* box = FindControl<QLabel>(m_window, kIdJudgement);
    box->setText(ToQString(judgement.text()));
    m_lastJudgement = judgement;
    recolourJudgement();
}

void MonitorController::showCount(int count) {
    FindControl<QLabel>(m_window, kIdJudgementCount)->setText(QString::number(count));
    auto* dashboard = m_window->findChild<MonitorDashboard*>();
    dashboard->add(m_lastJudgement, count);
    // The trend is told the time as the result CSV logs it, so that a trend read back from the CSV
    // names the same moments.
    const std::vector<TrendAlarm>& raised =
        m_trend->add(m_lastJudgement, ResultTimeStamp(std::chrono::system_clock::now()));
    m_publishing->judgement(m_lastJudgement, count, dashboard->tally(), dashboard->runSeconds());
    for (const TrendAlarm& alarm : raised) {
        m_publishing->alarm(alarm);
    }
    if (!raised.empty()) {
        dashboard->showAlarm(raised.back());
        recolourJudgement();
    }
}

void MonitorController::pumpMessages() {
    QCoreApplication::processEvents();
}

}  // namespace torv
