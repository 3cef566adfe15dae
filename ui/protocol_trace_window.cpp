#include "ui/protocol_trace_window.h"

#include <QFile>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>
#include <chrono>

#include "files/atomic_file.h"
#include "link/com_port.h"
#include "resources/strings.h"
#include "ui/app_icon.h"
#include "ui/user_prompts.h"

namespace torv {
namespace {

constexpr const char* kTraceCaption = "Protocol trace";
constexpr const char* kSaveFilter = "Text files (*.txt)";
constexpr const char* kPauseCaption = "Pause";
constexpr const char* kResumeCaption = "Resume";
constexpr const char* kClearCaption = "Clear";
constexpr const char* kSaveCaption = "Save as text...";
constexpr const char* kPausedNote = "Paused: frames from here on are not recorded.";
constexpr const char* kResumedNote = "Resumed.";
constexpr int kInitialWidthChars = 100;
constexpr int kInitialHeightLines = 30;

// Sent and received frames apart at a glance: blue going out, green coming in, red for a failure.
const QColor kSentColour(0x1a, 0x4f, 0xa0);
const QColor kReceivedColour(0x1d, 0x7a, 0x2e);
const QColor kFailureColour(0xc0, 0x16, 0x1b);
const QColor kNoteColour(0x70, 0x70, 0x70);

QTextCharFormat LineFormat(const TraceLine& line) {
    QTextCharFormat format;
    if (line.mark != TraceMark::kNone) {
        format.setForeground(kFailureColour);
        format.setFontWeight(QFont::Bold);
    } else {
        format.setForeground(line.direction == TraceDirection::kSent ? kSentColour : kReceivedColour);
    }
    return format;
}

std::function<void()>& TraceOpener() {
    static std::function<void()> opener;
    return opener;
}

}  // namespace

void SetProtocolTraceOpener(std::function<void()> opener) {
    TraceOpener() = std::move(opener);
}

void OpenProtocolTrace() {
    if (TraceOpener()) {
        TraceOpener()();
    }
}

std::int64_t ProtocolTraceWindow::SystemClockMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

ProtocolTraceWindow::ProtocolTraceWindow(Clock clock)
    : QWidget(nullptr, Qt::Window),
      m_clock(std::move(clock)),
      m_view(new QPlainTextEdit),
      m_pause(new QPushButton(QString::fromLatin1(kPauseCaption))),
      m_clear(new QPushButton(QString::fromLatin1(kClearCaption))),
      m_save(new QPushButton(QString::fromLatin1(kSaveCaption))) {
    setWindowTitle(QString::fromLatin1(kTraceCaption));
    setWindowIcon(ApplicationIcon());
    setAttribute(Qt::WA_QuitOnClose, false);
    m_view->setReadOnly(true);
    m_view->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_view->setMaximumBlockCount(kMaxLines);
    m_pause->setCheckable(true);
    m_pause->setObjectName(QStringLiteral("pause"));
    m_clear->setObjectName(QStringLiteral("clear"));
    m_save->setObjectName(QStringLiteral("save"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_pause);
    buttons->addWidget(m_clear);
    buttons->addStretch();
    buttons->addWidget(m_save);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_view);
    layout->addLayout(buttons);
    const QFontMetrics metrics(m_view->font());
    resize(metrics.averageCharWidth() * kInitialWidthChars, metrics.lineSpacing() * kInitialHeightLines);
    m_flushTimer.setInterval(kFlushIntervalMs);
    connect(&m_flushTimer, &QTimer::timeout, this, &ProtocolTraceWindow::flush);
    connect(m_pause, &QPushButton::toggled, this, &ProtocolTraceWindow::onPause);
    connect(m_clear, &QPushButton::clicked, this, &ProtocolTraceWindow::onClear);
    connect(m_save, &QPushButton::clicked, this, &ProtocolTraceWindow::onSave);
}

ProtocolTraceWindow::~ProtocolTraceWindow() {
    if (m_recording) {
        SetComTrace(nullptr);
    }
}

void ProtocolTraceWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_pause->isChecked()) {
        startRecording();
    }
}

void ProtocolTraceWindow::hideEvent(QHideEvent* event) {
    stopRecording();
    QWidget::hideEvent(event);
}

void ProtocolTraceWindow::startRecording() {
    if (m_recording) {
        return;
    }
    m_recording = true;
    SetComTrace([this](int, TraceDirection direction, std::span<const std::uint8_t> bytes) {
        record(direction, bytes);
    });
    m_flushTimer.start();
}

void ProtocolTraceWindow::stopRecording() {
    if (!m_recording) {
        return;
    }
    SetComTrace(nullptr);
    m_recording = false;
    m_flushTimer.stop();
    flush();
    std::vector<TraceLine> lines;
    m_decoder.reset(lines);
    appendLines(lines);
}

// Runs inside the driver's read and write calls: nothing here but keeping the bytes.
void ProtocolTraceWindow::record(TraceDirection direction, std::span<const std::uint8_t> bytes) {
    m_recorded.push_back({m_clock(), direction, {bytes.begin(), bytes.end()}});
}

void ProtocolTraceWindow::flush() {
    if (m_recorded.empty()) {
        return;
    }
    std::vector<TraceLine> lines;
    for (const Transfer& transfer : m_recorded) {
        m_decoder.add(transfer.timeMs, transfer.direction, transfer.bytes, lines);
    }
    m_recorded.clear();
    appendLines(lines);
}

// One edit for the whole batch; the view follows the end unless the user has scrolled up to read.
void ProtocolTraceWindow::appendLines(const std::vector<TraceLine>& lines) {
    if (lines.empty()) {
        return;
    }
    QScrollBar* scroll = m_view->verticalScrollBar();
    const bool atEnd = scroll->value() == scroll->maximum();
    QTextCursor cursor(m_view->document());
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    for (const TraceLine& line : lines) {
        if (!m_view->document()->isEmpty()) {
            cursor.insertBlock();
        }
        cursor.insertText(QString::fromStdString(TraceLineText(line)), LineFormat(line));
    }
    cursor.endEditBlock();
    if (atEnd) {
        scroll->setValue(scroll->maximum());
    }
}

void ProtocolTraceWindow::appendNote(const QString& text) {
    QTextCharFormat format;
    format.setForeground(kNoteColour);
    format.setFontItalic(true);
    QTextCursor cursor(m_view->document());
    cursor.movePosition(QTextCursor::End);
    if (!m_view->document()->isEmpty()) {
        cursor.insertBlock();
    }
    cursor.insertText(QString::fromStdString(TraceTimeText(m_clock())) + QStringLiteral("  ") + text, format);
}

void ProtocolTraceWindow::onPause(bool paused) {
    m_pause->setText(QString::fromLatin1(paused ? kResumeCaption : kPauseCaption));
    if (paused) {
        stopRecording();
        appendNote(QString::fromLatin1(kPausedNote));
        return;
    }
    appendNote(QString::fromLatin1(kResumedNote));
    if (isVisible()) {
        startRecording();
    }
}

void ProtocolTraceWindow::onClear() {
    flush();
    m_view->clear();
}

QStringList ProtocolTraceWindow::lines() const {
    QStringList result;
    for (QTextBlock block = m_view->document()->begin(); block.isValid(); block = block.next()) {
        if (!block.text().isEmpty() || block.next().isValid()) {
            result.append(block.text());
        }
    }
    return result;
}

// The trace as a text file with the tool's CR LF line ends, written whole or not at all.
void ProtocolTraceWindow::onSave() {
    flush();
    const QString path = Prompts().chooseFileToSave(this, {QString::fromLatin1(kSaveFilter)});
    if (path.isEmpty()) {
        return;
    }
    AtomicFileWriter file(QFile::encodeName(path).toStdString());
    if (file.isOpen()) {
        for (const QString& line : lines()) {
            file.writeLine(line.toStdString());
        }
    }
    if (!file.isOpen() || !file.commit()) {
        Prompts().show(this, Caption::kError, Icon::kStop, ToQString(Text(StringId::kCreateFileFailed)));
    }
}

}  // namespace torv
