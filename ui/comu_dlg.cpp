#include "ui/comu_dlg.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

#include <QDir>
#include <QFileInfo>
#include <vector>

#include "files/file_kind.h"
#include "resources/strings.h"
#include "ui/control_ids.h"
#include "ui/dialog_key_rule.h"
#include "ui/file_name_field.h"
#include "ui/protocol_trace_window.h"
#include "ui/user_prompts.h"

namespace torv {
namespace {

// The files an operation reads or writes, by its code: the full paths, one a line.
QString OperationFilesText(const OperationState& state) {
    std::vector<int> kinds;
    switch (state.OperationCode) {
        case kReadParameters:
        case kWriteParameters:
            kinds = {kParameterFile};
            break;
        case kReadRecognizedCharacters:
        case kWriteDictionary:
        case kReadNgCharacters:
        case kReadDictionary:
            kinds = {kDictionaryFile};
            break;
        case kReadNgData:
            kinds = {kNgImageFile, kNgDataFile};
            break;
        case kConvertNgDataToCsv:
            kinds = {kCsvFile};
            break;
        default:
            break;
    }
    QStringList paths;
    for (int kind : kinds) {
        const QString name = FileNameText(MakeFilePath(state.OperationFileName, kind));
        paths << QDir::toNativeSeparators(QFileInfo(name).absoluteFilePath());
    }
    return paths.join(QLatin1Char('\n'));
}

constexpr const char* kCaption = "Communication";
constexpr const char* kInitialStatus = "Initializing";
constexpr const char* kOkCaption = "OK";
constexpr const char* kCancelCaption = "Cancel";
// A transfer that has run this long shows the time it has left.
constexpr double kTimeLeftAfterSeconds = 3.0;
// A comfortable width for the progress bar; longer texts widen the dialog.
constexpr int kMinimumWidthChars = 48;

QPushButton* MakeButton(int id, const char* caption) {
    return MakePushButton(id, QString::fromLatin1(caption));
}

}  // namespace

CComuDlg::CComuDlg(OperationState& state, const OperationInfo& operation, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_state(state),
      m_operation(operation),
      m_status(new QLabel(QString::fromLatin1(kInitialStatus))),
      m_progress(new QProgressBar),
      m_files(new QLabel),
      m_ok(MakeButton(kIdOk, kOkCaption)),
      m_cancel(MakeButton(kIdCancel, kCancelCaption)),
      m_startTimer(new QTimer(this)) {
    setWindowTitle(QString::fromLatin1(kCaption));
    // Modal to the window that started it, so that the protocol trace window stays usable (scroll,
    // pause) while the operation runs.
    setWindowModality(Qt::WindowModal);
    // Escape presses Cancel, as in the platform's own dialogs, but only while Cancel stops the run:
    // never once the button has become "EDIT".
    (new DialogKeyRule(this))->setEscapeAction([this] {
        if (m_cancel->isEnabled() && !m_cancelMeansEdit) {
            m_cancel->click();
        }
    });
    new QShortcut(QKeySequence(kProtocolTraceKey), this, &OpenProtocolTrace);
    SetControlId(m_status, kIdStatus);
    SetControlId(m_progress, kIdProgress);
    m_progress->setRange(0, kProgressMax);
    m_progress->setValue(0);
    m_progress->setTextVisible(true);
    m_progress->setFormat(QStringLiteral("%p%"));
    m_ok->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_status);
    m_files->setObjectName(QStringLiteral("files"));
    m_files->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_files->hide();
    layout->addWidget(m_files);
    layout->addWidget(m_progress);
    layout->addLayout(buttons);
    setMinimumWidth(fontMetrics().averageCharWidth() * kMinimumWidthChars);
    m_startTimer->setSingleShot(true);
    m_startTimer->setInterval(kStartDelayMs);
    connect(m_startTimer, &QTimer::timeout, this, &CComuDlg::onTimer);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &CComuDlg::onCancel);
    m_cancel->setFocus();
}

void CComuDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Operations show the dialog at every step; only the first showing starts the run.
    if (!m_started) {
        m_started = true;
        m_startTimer->start();
    }
}

void CComuDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
}

void CComuDlg::onTimer() {
    const OperationReport report = RunOperation(m_state, *this, m_operation);
    m_outcome = report.outcome;
    m_outcomeText = report.text;
    finish(report);
}

// The common end of every operation: a failure is reported and closes the dialog; otherwise the
// dialog stays open with "Aborted." or the completion text until OK (or EDIT) is pressed.
void CComuDlg::finish(const OperationReport& report) {
    if (report.outcome == OperationOutcome::kOpenFailed || report.outcome == OperationOutcome::kFailed) {
        Prompts().showDetailed(this, Caption::kError, Icon::kStop, ToQString(report.text),
                               ToQString(report.detail));
        done(QDialog::Rejected);
        return;
    }
    m_ok->setEnabled(true);
    if (report.offersEdit) {
        m_cancel->setText(ToQString(Text(StringId::kEdit)));
        m_cancelMeansEdit = true;
    } else {
        m_cancel->setEnabled(false);
        m_ok->setFocus();
    }
    setStatus(report.text);
    // Under the completion text, the files the operation made or sent.
    if (report.outcome == OperationOutcome::kCompleted && m_operation.usesFile) {
        m_files->setText(OperationFilesText(m_state));
        m_files->setVisible(!m_files->text().isEmpty());
        adjustSize();
    }
}

void CComuDlg::onCancel() {
    if (m_cancelMeansEdit) {
        m_state.EditRequest = true;
        accept();
        return;
    }
    // The running operation sees this at its next test, after its current exchange.
    m_state.AbortRequest = true;
}

// A question about replacing a file names it under the question.
bool CComuDlg::ask(Caption caption, Icon icon, std::string_view text, Answer defaultAnswer) {
    const bool aboutTheFile = text == Text(StringId::kSameFileOverwrite);
    return Prompts().askDetailed(this, caption, icon, ToQString(text),
                                 aboutTheFile ? OperationFilesText(m_state) : QString(), defaultAnswer);
}

void CComuDlg::show(Caption caption, Icon icon, std::string_view text) {
    Prompts().show(this, caption, icon, ToQString(text));
}

// The dialog widens to show a status or completion text whole, at any font size.
void CComuDlg::setStatus(std::string_view text) {
    m_status->setText(ToQString(text));
    const int needed = m_status->fontMetrics().horizontalAdvance(m_status->text());
    if (m_status->minimumWidth() < needed) {
        m_status->setMinimumWidth(needed);
        adjustSize();
    }
}

// The percentage, and on a long transfer (the NG reads) the time left as the pace so far gives it.
void CComuDlg::setProgress(int position) {
    using namespace std::chrono;
    const auto now = steady_clock::now();
    if (!m_firstProgress || position <= 0) {
        m_firstProgress = now;
    }
    const double elapsed = duration<double>(now - *m_firstProgress).count();
    QString format = QStringLiteral("%p%");
    if (elapsed >= kTimeLeftAfterSeconds && position > 0 && position < kProgressMax) {
        const double left = elapsed * (kProgressMax - position) / position;
        format += QStringLiteral(", about %1 s left").arg(static_cast<int>(left + 0.5));
    }
    m_progress->setFormat(format);
    m_progress->setValue(position);
    QDialog::show();
}

void CComuDlg::pumpMessages() {
    QDialog::show();
    QCoreApplication::processEvents();
}

}  // namespace torv
