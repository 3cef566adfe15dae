// The "Protocol trace" window: the lines of a scripted exchange, colours, pause and close, Clear and Save
// as text, and Ctrl+T in the main window.

// Mouse clicks go through the window system, as a user's do: a window that a modal dialog blocks drops
// them there.
#define QTEST_QPA_MOUSE_HANDLING

#include <QPlainTextEdit>
#include <QTextBlock>
#include <ctime>

#include "link/frames.h"
#include "operations/device_operations.h"
#include "tests/gui/support/gui_harness.h"
#include "ui/protocol_trace_window.h"
#ifndef _WIN32
#include "tests/support/pty_pair.h"
#endif

using namespace torv;
using namespace torv::test;

namespace {

constexpr int kPort = 5;
constexpr int kSimPort = 6;
constexpr int kBaudIndex = 4;
constexpr std::int64_t kNoonMs = 12 * 3600 * 1000;  // 1970-01-01 12:00:00.000 UTC
constexpr std::int64_t kTickMs = 5;                 // the test clock moves on at every reading

#ifdef _WIN32
// The Windows build's tests have no pseudo-terminal pair to play a line's far end on. The tests that
// need one skip before they reach this stand-in, which only keeps their code the same on both.
struct ScriptedLine {
    bool readWord(std::uint8_t, const std::vector<std::uint8_t>&) { return false; }
    bool opened = false;
};
#define SKIP_WITHOUT_SCRIPTED_LINE() QSKIP("plays the sensor on a pseudo-terminal pair: Linux tests only")
#else
#define SKIP_WITHOUT_SCRIPTED_LINE()

// The tool's side of a line whose far end the test plays.
struct ScriptedLine {
    ScriptedLine() {
        SetComPortDevicePath(kPort, sensor.devicePath());
        opened = OpenLink(kPort, kBaudIndex) == kLinkOpened;
    }
    ~ScriptedLine() { CloseLink(kPort); }

    // One exchange of `R address`, with `reply` already waiting on the line.
    bool readWord(std::uint8_t address, const std::vector<std::uint8_t>& reply) {
        if (!reply.empty()) {
            sensor.send(reply);
        }
        const std::uint8_t data[2] = {address, 0};
        SendCommand(kPort, kReadWordCommand, data, 2);
        std::uint8_t destination[2] = {};
        std::string error;
        return ReceiveReply(kPort, destination, 2, kReplyTimeoutMs, error) == 1;
    }

    PtyPair sensor;
    bool opened = false;
};
#endif

QColor ForegroundOfLine(const ProtocolTraceWindow& window, int line) {
    const auto* view = window.findChild<QPlainTextEdit*>();
    return view->document()->findBlockByNumber(line).begin().fragment().charFormat().foreground().color();
}

}  // namespace

class ProtocolTraceTest : public QObject {
    Q_OBJECT

    std::int64_t m_now = kNoonMs;
    ProtocolTraceWindow::Clock clock() {
        return [this] { return m_now += kTickMs; };
    }

  private slots:
    void initTestCase() {
        qputenv("TZ", "UTC");
        tzset();
    }
    void init() { m_now = kNoonMs; }

    void showsEachFrameAndReplyWithItsFailure() {
        SKIP_WITHOUT_SCRIPTED_LINE();
        ProtocolTraceWindow window(clock());
        window.show();
        ScriptedLine line;
        QVERIFY(line.opened);
        QVERIFY(line.readWord(0, {0x06, 0x34, 0x12, 0xB3}));
        QVERIFY(!line.readWord(1, {0x15}));
        QVERIFY(!line.readWord(2, {0x06, 0x34, 0x12, 0x00}));
        QVERIFY(!line.readWord(3, {}));
        window.flush();
        const QStringList expected{
            "12:00:00.005  ->  R  52 00 00 AD", "12:00:00.015  <-     06 34 12 B3",
            "12:00:00.020  ->  R  52 01 00 AC", "12:00:00.025  <-     15  !! NAK",
            "12:00:00.030  ->  R  52 02 00 AB", "12:00:00.040  <-     06 34 12 00  !! bad checksum",
            "12:00:00.045  ->  R  52 03 00 AA", "12:00:00.050  <-     (nothing)  !! no answer",
        };
        QCOMPARE(window.lines(), expected);
        const QColor sent = ForegroundOfLine(window, 0);
        const QColor received = ForegroundOfLine(window, 1);
        const QColor failure = ForegroundOfLine(window, 3);
        QVERIFY(sent != received && sent != failure && received != failure);
        QCOMPARE(ForegroundOfLine(window, 2), sent);
        QCOMPARE(ForegroundOfLine(window, 7), failure);
    }

    // Paused or closed, the window takes nothing from the line and the driver has no trace to feed. Its
    // lines are saved as the tool's text files are, CR LF; Clear empties the view; a file that cannot be
    // written is reported and nothing is made.
    void recordsOnlyWhileOpenAndNotPausedAndSavesItsLines() {
        SKIP_WITHOUT_SCRIPTED_LINE();
        TempDir folder;
        ScriptedPrompts prompts;
        ProtocolTraceWindow window(clock());
        ScriptedLine line;
        QVERIFY(line.readWord(0, {0x06, 0x34, 0x12, 0xB3}));  // not yet open
        window.show();
        auto* pause = window.findChild<QPushButton*>(QStringLiteral("pause"));
        pause->click();
        QVERIFY(!window.isRecording());
        QVERIFY(line.readWord(1, {0x06, 0x00, 0x00, 0xF9}));
        pause->click();
        QVERIFY(line.readWord(2, {0x06, 0x00, 0x00, 0xF9}));
        window.hide();
        QVERIFY(!window.isRecording());
        QVERIFY(line.readWord(3, {0x06, 0x00, 0x00, 0xF9}));
        const QStringList expected{
            "12:00:00.005  Paused: frames from here on are not recorded.",
            "12:00:00.010  Resumed.",
            "12:00:00.015  ->  R  52 02 00 AB",
            "12:00:00.025  <-     06 00 00 F9",
        };
        QCOMPARE(window.lines(), expected);

        prompts.chosenFile = QString::fromStdString(folder.file("trace.txt"));
        window.findChild<QPushButton*>(QStringLiteral("save"))->click();
        QCOMPARE(QString::fromStdString(ReadFileBytes(folder.file("trace.txt"))),
                 expected.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
        window.findChild<QPushButton*>(QStringLiteral("clear"))->click();
        QVERIFY(window.lines().isEmpty());
        prompts.chosenFile = QString::fromStdString(folder.file("no-such-folder/trace.txt"));
        window.findChild<QPushButton*>(QStringLiteral("save"))->click();
        QCOMPARE(prompts.record,
                 (QStringList{"save chooser", "save chooser", ErrorBox(StringId::kCreateFileFailed)}));
        QCOMPARE(ListFolder(folder.path()), std::vector<std::string>{"trace.txt"});
    }

    void ctrlTInTheMainWindowOpensTheTrace() {
        TempDir folder;
        OperationState state;
        CDataLoaderDlg window(state, folder.file("x.ini"));
        QVERIFY(ShowActive(window));
        QTest::keyClick(&window, Qt::Key_T, Qt::ControlModifier);
        auto* trace = VisibleWindow<ProtocolTraceWindow>();
        QVERIFY(trace != nullptr);
        QCOMPARE(trace->windowTitle(), QStringLiteral("Protocol trace"));
        QVERIFY(trace->isRecording());
        QCOMPARE(&window.showProtocolTrace(), trace);  // one window, brought to the front again

        // From a transfer dialog too, while the main window waits for it (its port has no device, so
        // its operation ends at once with a scripted error box).
        trace->hide();
        ScriptedPrompts prompts;
        SetComPortDevicePath(kPort, folder.file("no-such-device"));
        state.ComPortNumber = kPort;
        CComuDlg transfer(state, *FindOperation(kSetClock), &window);
        QVERIFY(ShowActive(transfer));
        QTRY_COMPARE(QApplication::activeWindow(), &transfer);
        QTest::keyClick(&transfer, Qt::Key_T, Qt::ControlModifier);
        QVERIFY(trace->isVisible() && trace->isRecording());
    }

    // While a read runs in its transfer dialog (modal to the main window), the trace takes real mouse
    // clicks (through the window system, which drops them on a window a modal dialog blocks): Pause,
    // Clear and "Save as text...".
    void takesInputWhileATransferRuns() {
        TempDir folder;
        OperationState state;
        SimulatedSensor sensor({"--wire-time"}, kSimPort);
        ScriptedPrompts prompts;
        prompts.chosenFile = QString::fromStdString(folder.file("during.txt"));
        auto window = MainWindowOn(state, folder, kSimPort, kIdParameterName, "read");
        ProtocolTraceWindow& trace = window->showProtocolTrace();
        const auto click = [&trace](const char* name) {
            QTest::mouseClick(trace.findChild<QPushButton*>(QString::fromLatin1(name)), Qt::LeftButton);
        };
        bool transferShown = false;
        bool pausedDuringTransfer = false;
        bool clearedDuringTransfer = false;
        WhenReady during(
            [&trace] { return VisibleWindow<CComuDlg>() != nullptr && trace.lines().size() > 4; },
            [&] {
                transferShown = true;
                click("save");
                click("pause");
                pausedDuringTransfer = !trace.isRecording();
                click("clear");
                clearedDuringTransfer = trace.lines().isEmpty();
                click("pause");
            });
        ModalPresser closeTransfer("torv::CComuDlg", CComuDlg::kIdOk);
        Get<QPushButton>(window.get(), kIdReadParameters)->click();
        QVERIFY(transferShown);
        QVERIFY(pausedDuringTransfer);
        QVERIFY(clearedDuringTransfer);
        QVERIFY(trace.isRecording());
        QVERIFY(ReadFileBytes(folder.file("during.txt")).find("->") != std::string::npos);
        QVERIFY(!trace.lines().isEmpty());  // recording again after the second click
        QVERIFY(trace.isVisible());
    }
};

QTEST_MAIN(ProtocolTraceTest)
#include "protocol_trace_test.moc"
