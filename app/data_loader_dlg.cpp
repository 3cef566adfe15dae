#include "app/data_loader_dlg.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTime>

#include <algorithm>
#include <utility>

#include "app/main_window_ids.h"
#include "app/main_window_layout.h"
#include "app/monitor_controller.h"
#include "app/monitor_publishing.h"
#include "app/port_descriptions.h"
#include "app/preferences_dialog.h"
#include "app/ref_buttons.h"
#include "app/trend_window.h"
#include "app/unfinished_write_box.h"
#include "dictionary/dic_dlg.h"
#include "link/frames.h"
#include "ngdata/ng_browser_dlg.h"
#include "ngdata/ngdata_dlg.h"
#include "operations/device_operations.h"
#include "params/pedit_dlg.h"
#include "remote/remote_dlg.h"
#include "resources/strings.h"
#include "ui/app_icon.h"
#include "ui/comu_dlg.h"
#include "ui/control_ids.h"
#include "ui/dialog_key_rule.h"
#include "ui/file_name_field.h"
#include "ui/protocol_trace_window.h"
#include "ui/user_prompts.h"
#include "ui/window_modal.h"

namespace torv {
namespace {

constexpr const char* kWindowCaption = "TORV Data Loader ver. 1.0";

// The Filename fields in the order of the settings file's lines 4 to 7.
constexpr std::array<int, kSettingsNameCount> kSettingsFields{kIdParameterName, kIdMonitorName,
                                                              kIdDictionaryName, kIdNgDataName};

// Field texts are file names: they reach the file system, and the settings file, in its encoding.
std::string FieldBytes(const QLineEdit* field) {
    return FileNameBytes(field->text());
}

}  // namespace

CDataLoaderDlg::CDataLoaderDlg(OperationState& state, std::string settingsPath, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_state(state),
      m_settingsPath(std::move(settingsPath)) {
    setWindowTitle(QString::fromLatin1(kWindowCaption));
    setWindowIcon(ApplicationIcon());
    BuildMainWindowLayout(this);
    new DialogKeyRule(this);
    m_monitor = new MonitorController(this, m_state);
    connectButtons();
    restoreSettings();
    connect(list(kIdComPort), &QComboBox::currentIndexChanged, this, &CDataLoaderDlg::describePorts);
    describePorts();
    // Menus and a status bar around the controls; Ctrl+T is the menu's "Protocol trace".
    m_bars = BuildMainWindowBars(this, {.browseNgData = [this] { browseNgData(); },
                                        .preferences = [this] { onPreferences(); },
                                        .protocolTrace = [this] { showProtocolTrace(); },
                                        .trend = [this] { showTrend(); },
                                        .exit = [this] { onExit(); }});
    connect(m_bars.recentFiles, &QMenu::aboutToShow, this, &CDataLoaderDlg::fillRecentFilesMenu);
    SetProtocolTraceOpener([this] { showProtocolTrace(); });
    m_preferences = LoadPreferences();
    m_monitor->setPublishing(m_preferences);
    connect(m_monitor->publishing(), &MonitorPublishing::statusChanged, m_bars.publishing, &QLabel::setText);
    FindControl<QCheckBox>(this, kIdGeneratesCsv)->setChecked(m_preferences.generatesCsv);
    if (!m_preferences.windowGeometry.isEmpty()) {
        restoreGeometry(m_preferences.windowGeometry);
    }
    for (int id : {kIdComPort, kIdBaudRate}) {
        connect(list(id), &QComboBox::currentIndexChanged, this, &CDataLoaderDlg::showLinkOnStatusBar);
    }
    // Names without a folder are relative to the folder the tool runs in: say which.
    const QString folder = QDir::toNativeSeparators(QDir::currentPath());
    m_bars.folder->setText(QStringLiteral("Folder: %1").arg(folder));
    for (int id : kSettingsFields) {
        field(id)->setToolTip(QStringLiteral("A name without a folder is in %1").arg(folder));
    }
    showLinkOnStatusBar();
}

CDataLoaderDlg::~CDataLoaderDlg() {
    SetProtocolTraceOpener({});
}

QComboBox* CDataLoaderDlg::list(int id) const {
    return FindControl<QComboBox>(this, id);
}
QLineEdit* CDataLoaderDlg::field(int id) const {
    return FindControl<QLineEdit>(this, id);
}
QPushButton* CDataLoaderDlg::button(int id) const {
    return FindControl<QPushButton>(this, id);
}

void CDataLoaderDlg::restoreSettings() {
    const LoaderSettings settings = ReadSettingsFile(m_settingsPath);
    m_state.ComPortNumber = settings.comPortIndex + 1;
    m_state.BaudIndex = settings.baudIndex;
    m_state.NgDataNumber = settings.ngDataIndex + 1;
    // An index the list does not have (the baud index 6) selects nothing.
    const auto select = [](QComboBox* box, int index) {
        box->setCurrentIndex(index < box->count() ? index : -1);
    };
    select(list(kIdComPort), settings.comPortIndex);
    select(list(kIdBaudRate), settings.baudIndex);
    select(list(kIdNgDataNumber), settings.ngDataIndex);
    for (std::size_t i = 0; i < kSettingsFields.size(); ++i) {
        QLineEdit* name = field(kSettingsFields[i]);
        name->setText(FileNameText(settings.names[i]));
        // The end of a long path is the telling part: keep it in view.
        name->end(false);
    }
}

LoaderSettings CDataLoaderDlg::currentSettings() const {
    LoaderSettings settings;
    settings.comPortIndex = list(kIdComPort)->currentIndex();
    settings.baudIndex = list(kIdBaudRate)->currentIndex();
    settings.ngDataIndex = list(kIdNgDataNumber)->currentIndex();
    for (std::size_t i = 0; i < kSettingsFields.size(); ++i) {
        settings.names[i] = FieldBytes(field(kSettingsFields[i]));
    }
    return settings;
}

void CDataLoaderDlg::connectButtons() {
    connect(button(kIdExit), &QPushButton::clicked, this, &CDataLoaderDlg::onExit);
    connect(button(kIdReadParameters), &QPushButton::clicked, this, &CDataLoaderDlg::onReadParameters);
    connect(button(kIdWriteParameters), &QPushButton::clicked, this, &CDataLoaderDlg::onWriteParameters);
    connect(button(kIdEditParameters), &QPushButton::clicked, this, &CDataLoaderDlg::editParameters);
    connect(button(kIdSetClock), &QPushButton::clicked, this, &CDataLoaderDlg::onSetClock);
    connect(button(kIdReadNgData), &QPushButton::clicked, this, &CDataLoaderDlg::onReadNgData);
    connect(button(kIdConvertNgData), &QPushButton::clicked, this, &CDataLoaderDlg::onConvertNgData);
    connect(button(kIdDisplayNgData), &QPushButton::clicked, this, &CDataLoaderDlg::displayNgData);
    connect(button(kIdStartMonitor), &QPushButton::clicked, m_monitor, &MonitorController::start);
    connect(button(kIdStopMonitor), &QPushButton::clicked, m_monitor, &MonitorController::stop);
    connect(findChild<QPushButton*>(QString::fromLatin1(kTrendButtonName)), &QPushButton::clicked, this,
            [this] { showTrend(); });
    connect(button(kIdRemoteControl), &QPushButton::clicked, this, &CDataLoaderDlg::onRemoteControl);
    connect(button(kIdReadRecognized), &QPushButton::clicked, this, &CDataLoaderDlg::onReadRecognized);
    connect(button(kIdReadNgCharacters), &QPushButton::clicked, this, &CDataLoaderDlg::onReadNgCharacters);
    connect(button(kIdReadDictionary), &QPushButton::clicked, this, &CDataLoaderDlg::onReadDictionary);
    connect(button(kIdWriteDictionary), &QPushButton::clicked, this, &CDataLoaderDlg::onWriteDictionary);
    connect(button(kIdEditDictionary), &QPushButton::clicked, this, &CDataLoaderDlg::editDictionary);
    for (const RefButton& ref : RefButtons()) {
        connect(button(ref.buttonId), &QPushButton::clicked, this,
                [this, &ref] { ChooseFileIntoField(this, ref); });
    }
}

void CDataLoaderDlg::describePorts() {
    DescribePorts(list(kIdComPort), findChild<QLabel*>(QString::fromLatin1(kPortDescriptionName)));
}

// Coming back to the window (after plugging in an adapter, say) reads the ports again.
void CDataLoaderDlg::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        describePorts();
    }
}

// The close box is "Exit": its question, and the settings file written on Yes.
void CDataLoaderDlg::closeEvent(QCloseEvent* event) {
    if (!m_exitConfirmed) {
        event->ignore();
        onExit();
    }
}

void CDataLoaderDlg::onExit() {
    // A running monitor stops first, whatever the answer.
    m_monitor->stop();
    if (!Prompts().ask(this, Caption::kTorv, Icon::kQuestion, ToQString(Text(StringId::kAgreeToExit)),
                       Answer::kYes)) {
        return;
    }
    m_preferences.generatesCsv = FindControl<QCheckBox>(this, kIdGeneratesCsv)->isChecked();
    m_preferences.windowGeometry = saveGeometry();
    SavePreferences(m_preferences);
    if (!WriteSettingsFile(m_settingsPath, currentSettings())) {
        Prompts().show(this, Caption::kError, Icon::kStop, ToQString(Text(StringId::kSetupFileWriteFailed)));
    }
    m_exitConfirmed = true;
    accept();
}

void CDataLoaderDlg::takeLinkFromLists() {
    // An empty list selection gives port 0 and baud index -1; the link then refuses to open.
    m_state.ComPortNumber = list(kIdComPort)->currentIndex() + 1;
    m_state.BaudIndex = list(kIdBaudRate)->currentIndex();
    WarnOfUnfinishedWrite(this, m_state.ComPortNumber);
}

bool CDataLoaderDlg::runOperation(int operationCode, int fieldId) {
    m_state.OperationCode = operationCode;
    takeLinkFromLists();
    if (fieldId != 0) {
        m_state.OperationFileName = FieldBytes(field(fieldId));
    }
    CComuDlg dialog(m_state, *FindOperation(operationCode), this);
    ExecWindowModal(dialog);
    showOutcomeOnStatusBar(dialog);
    if (fieldId != 0) {
        const auto kind = std::find(kSettingsFields.begin(), kSettingsFields.end(), fieldId);
        NoteRecentFile(m_preferences, static_cast<RecentKind>(kind - kSettingsFields.begin()),
                       field(fieldId)->text());
    }
    return m_state.EditRequest;
}

OperationOutcome CDataLoaderDlg::runTransfer(const OperationInfo& operation, const std::string& fileName) {
    const std::string keptName = m_state.OperationFileName;
    const int keptCode = m_state.OperationCode;
    takeLinkFromLists();
    m_state.OperationCode = operation.code;
    m_state.OperationFileName = fileName;
    CComuDlg dialog(m_state, operation, this);
    ExecWindowModal(dialog);
    m_state.OperationFileName = keptName;
    m_state.OperationCode = keptCode;
    m_state.EditRequest = false;
    showOutcomeOnStatusBar(dialog);
    return dialog.outcome();
}

void CDataLoaderDlg::showLinkOnStatusBar() {
    m_bars.link->setText(
        QStringLiteral("%1, %2 baud").arg(list(kIdComPort)->currentText(), list(kIdBaudRate)->currentText()));
}

// "last reply 12:03:41, ok", "no answer at 12:03:41", and the sensor's version once it is known; the
// port line again.
void CDataLoaderDlg::showOutcomeOnStatusBar(const CComuDlg& transfer) {
    describePorts();  // a network port's line now names the server the operation reached
    const OperationOutcome outcome = transfer.outcome();
    m_lastOutcome = outcome;
    const QString time = QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
    const bool silent = transfer.outcomeText() == Text(StringId::kNoResponse);
    m_bars.lastExchange->setText(
        outcome == OperationOutcome::kCompleted ? QStringLiteral("last reply %1, ok").arg(time)
        : outcome == OperationOutcome::kAborted ? QStringLiteral("stopped at %1").arg(time)
        : silent                                ? QStringLiteral("no answer at %1").arg(time)
                 : QStringLiteral("%1: %2").arg(time, ToQString(transfer.outcomeText())));
    if (!m_state.SensorVersion.empty()) {
        m_bars.version->setText(QStringLiteral("TORV software %1").arg(ToQString(m_state.SensorVersion)));
    }
}

void CDataLoaderDlg::fillRecentFilesMenu() {
    constexpr std::array<const char*, kRecentKindCount> kKindNames{"Parameters", "Monitor CSV", "Dictionary",
                                                                   "NG data"};
    m_bars.recentFiles->clear();
    for (std::size_t kind = 0; kind < kRecentKindCount; ++kind) {
        QMenu* menu = m_bars.recentFiles->addMenu(QString::fromLatin1(kKindNames[kind]));
        menu->setEnabled(!m_preferences.recent[kind].isEmpty());
        for (const QString& name : m_preferences.recent[kind]) {
            QLineEdit* target = field(kSettingsFields[kind]);
            menu->addAction(name, this, [target, name] {
                target->setText(name);
                target->end(false);
            });
        }
    }
}

// The NG pairs in the folder of the NG data name (or the folder names without one are in); the one
// chosen goes into the field and opens in the viewer.
void CDataLoaderDlg::browseNgData() {
    const QFileInfo named(field(kIdNgDataName)->text());
    const QString folder = field(kIdNgDataName)->text().isEmpty() || !named.absoluteDir().exists()
                               ? QDir::currentPath()
                               : named.absolutePath();
    NgBrowserDlg browser(folder, this);
    if (ExecWindowModal(browser) != QDialog::Accepted || browser.chosenName().empty()) {
        return;
    }
    field(kIdNgDataName)->setText(FileNameText(browser.chosenName()));
    displayNgData();
}

void CDataLoaderDlg::onPreferences() {
    PreferencesDialog dialog(m_preferences, this);
    if (ExecWindowModal(dialog) == QDialog::Accepted) {
        m_preferences = dialog.chosen();
        SavePreferences(m_preferences);
        m_monitor->setPublishing(m_preferences);
    }
}

void CDataLoaderDlg::onReadParameters() {
    if (runOperation(kReadParameters, kIdParameterName)) {
        editParameters();
    }
}

// As the preferences ask: the changes listed under the question (the sensor read first), a backup
// read before the write and a verification after it (main_window_writes.cpp).
void CDataLoaderDlg::onWriteParameters() {
    QString changes;
    if (m_preferences.differencesBeforeWrite) {
        const std::optional<QString> listed = changesTheWriteMakes();
        if (!listed) {
            return;  // the sensor could not be read: its dialog has said why, and nothing is written
        }
        changes = *listed;
    }
    if (!Prompts().askDetailed(this, Caption::kWarningBang, Icon::kExclamation,
                               ToQString(Text(StringId::kAgreeOverwriteSensor)), changes, Answer::kYes)) {
        return;
    }
    if (m_preferences.backupBeforeWrite && !backUpSensorParameters()) {
        return;
    }
    const int rateBefore = list(kIdBaudRate)->currentIndex();
    runOperation(kWriteParameters, kIdParameterName);
    const bool written = m_lastOutcome == OperationOutcome::kCompleted;
    if (m_state.UnstoredWords) {
        Prompts().show(this, Caption::kWarning, Icon::kExclamation, UnstoredWriteNotice(m_state));
    }
    // The write may have moved the sensor to another rate; the list follows it, and says so.
    QComboBox* baud = list(kIdBaudRate);
    const bool listed = m_state.BaudIndex >= 0 && m_state.BaudIndex < baud->count();
    baud->setCurrentIndex(listed ? m_state.BaudIndex : -1);
    if (m_state.BaudIndex != rateBefore && m_state.BaudIndex >= 0 && m_state.BaudIndex < kBaudIndexCount) {
        const int rate = kBaudRates[static_cast<std::size_t>(m_state.BaudIndex)];
        Prompts().show(this, Caption::kTorv, Icon::kInformation,
                       QStringLiteral("The sensor now talks at %1 baud; %2")
                           .arg(rate)
                           .arg(listed ? QStringLiteral("the baud rate list follows.")
                                       : QStringLiteral("the baud rate list has no entry for it.")));
    }
    if (written && m_preferences.verifyAfterWrite) {
        verifyWrittenParameters();
    }
}

void CDataLoaderDlg::onSetClock() {
    if (!Prompts().ask(this, Caption::kWarningBang, Icon::kExclamation,
                       ToQString(Text(StringId::kSetClockQuestion)), Answer::kYes)) {
        return;
    }
    runOperation(kSetClock, 0);
}

void CDataLoaderDlg::onReadNgData() {
    // The combo's "1" is the newest NG; no selection gives 0, the slot at the pointer itself.
    m_state.NgDataNumber = list(kIdNgDataNumber)->currentIndex() + 1;
    if (runOperation(kReadNgData, kIdNgDataName)) {
        displayNgData();
    }
}

void CDataLoaderDlg::onConvertNgData() {
    runOperation(kConvertNgDataToCsv, kIdNgDataName);
}

void CDataLoaderDlg::displayNgData() {
    m_state.OperationFileName = FieldBytes(field(kIdNgDataName));
    CNgdataDlg viewer(m_state, m_ngImage, this);
    ExecWindowModal(viewer);
}

void CDataLoaderDlg::onRemoteControl() {
    takeLinkFromLists();
    CRemoteDlg remote(m_state, this);
    ExecWindowModal(remote);
}

ProtocolTraceWindow& CDataLoaderDlg::showProtocolTrace() {
    if (!m_trace) {
        // A window of its own, outside this window's family: the dialogs this window opens are
        // window-modal and block only their family, so the trace stays usable while they are open.
        m_trace = std::make_unique<ProtocolTraceWindow>();
    }
    m_trace->show();
    m_trace->raise();
    m_trace->activateWindow();
    return *m_trace;
}

TrendWindow& CDataLoaderDlg::showTrend() {
    if (!m_trend) {
        // Parentless for the same reason as the trace: usable while the monitor or a dialog runs.
        m_trend = std::make_unique<TrendWindow>([this] { return m_monitor->trend(); });
    }
    m_trend->show();
    m_trend->raise();
    m_trend->activateWindow();
    return *m_trend;
}

void CDataLoaderDlg::onReadRecognized() {
    if (runOperation(kReadRecognizedCharacters, kIdDictionaryName)) {
        editDictionary();
    }
}

void CDataLoaderDlg::onReadNgCharacters() {
    m_state.NgDataNumber = list(kIdNgDataNumber)->currentIndex() + 1;
    if (runOperation(kReadNgCharacters, kIdDictionaryName)) {
        editDictionary();
    }
}

void CDataLoaderDlg::onReadDictionary() {
    if (runOperation(kReadDictionary, kIdDictionaryName)) {
        editDictionary();
    }
}

void CDataLoaderDlg::onWriteDictionary() {
    if (Prompts().ask(this, Caption::kWarningBang, Icon::kExclamation,
                      ToQString(Text(StringId::kOverwriteDictionaryQuestion)), Answer::kYes)) {
        runOperation(kWriteDictionary, kIdDictionaryName);
        if (m_state.UnstoredWords) {
            Prompts().show(this, Caption::kWarning, Icon::kExclamation, UnstoredWriteNotice(m_state));
        }
    }
}

// Also the follow-up of a character or dictionary read closed through EDIT; its "Save && Write to
// TORV" leads on into the write command, which asks first.
void CDataLoaderDlg::editDictionary() {
    m_state.OperationFileName = FieldBytes(field(kIdDictionaryName));
    CDicDlg editor(m_state, this);
    ExecWindowModal(editor);
    if (m_state.EditRequest) {
        onWriteDictionary();
    }
}

// Also the follow-up of a parameter read closed through EDIT. The editor may save under another name,
// which the field then shows; its "Save && Write to TORV" leads on into the write command.
void CDataLoaderDlg::editParameters() {
    QLineEdit* name = field(kIdParameterName);
    m_state.OperationFileName = FieldBytes(name);
    takeLinkFromLists();  // "Compare with TORV..." reads the sensor on the port chosen here
    CPeditDlg editor(m_state, this);
    ExecWindowModal(editor);
    ShowFileName(name, FileNameText(m_state.OperationFileName));
    if (m_state.EditRequest) {
        onWriteParameters();
    }
}

}  // namespace torv
