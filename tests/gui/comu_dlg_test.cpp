// The transfer dialog running real operations against torvsim: completion, failures with their facts,
// Cancel, the keys. Enter presses the focused button, so that button wears a plain highlight frame.

#include <QDialog>
#include <QVBoxLayout>

#include "operations/device_operations.h"
#include "tests/gui/support/gui_harness.h"
#include "ui/focus_frame_style.h"

using namespace torv;
using namespace torv::test;

namespace {

constexpr int kSimPort = 2;
constexpr int kMissingPort = 8;
constexpr int kSimBaudIndex = 4;  // torvsim starts at 57600
constexpr int kWaitMs = 60000;

// One transfer dialog for one operation, and its controls.
struct Transfer {
    Transfer(int code, int port, int baudIndex, const std::string& fileName = {})
        : dialog(state, *FindOperation(code)) {
        state.OperationCode = code;
        state.ComPortNumber = port;
        state.BaudIndex = baudIndex;
        state.OperationFileName = fileName;
    }
    // Starts the dialog and waits until it has finished (OK enabled) or closed.
    bool run() {
        dialog.open();
        return QTest::qWaitFor([this] { return ok->isEnabled() || !dialog.isVisible(); }, kWaitMs);
    }

    OperationState state;
    CComuDlg dialog;
    QPushButton* ok = Get<QPushButton>(&dialog, CComuDlg::kIdOk);
    QPushButton* second = Get<QPushButton>(&dialog, CComuDlg::kIdCancel);
    QLabel* status = Get<QLabel>(&dialog, CComuDlg::kIdStatus);
};

// Pixels close to the highlight colour: the frame's, not the button's own shading.
int HighlightPixels(const QImage& image, const QColor& highlight) {
    constexpr int kCloseEnough = 40;
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += int(std::abs(c.red() - highlight.red()) + std::abs(c.green() - highlight.green()) +
                             std::abs(c.blue() - highlight.blue()) <
                         kCloseEnough);
        }
    }
    return count;
}

// A transfer that fails: the operation, torvsim's fault, the port and rate, the parameter file (empty:
// none), the message and a part of the facts under it.
struct FailureCase {
    int code = 0;
    std::string fault;
    int port = kSimPort;
    int baudIndex = kSimBaudIndex;
    std::string file;
    StringId message{};
    QString detail;
};

}  // namespace

Q_DECLARE_METATYPE(FailureCase)

class ComuDlgTest : public QObject {
    Q_OBJECT

    TempDir m_folder;

  private slots:
    void initTestCase() { QApplication::setStyle(new FocusFrameStyle(QApplication::style()->name())); }

    // A stop request left over (the monitor leaves one behind) does not cancel the next operation. The
    // finished dialog has OK focused: Escape and the window system leave it open, Enter closes it.
    void clockCompletesWithOkOnlyAndClosesByEnterNotEscape() {
        SimulatedSensor sensor({}, kSimPort);
        ScriptedPrompts prompts;
        Transfer transfer(kSetClock, kSimPort, kSimBaudIndex);
        transfer.state.AbortRequest = true;
        transfer.state.EditRequest = true;
        QVERIFY(ShowActive(transfer.dialog));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);  // while it waits to start
        QTRY_VERIFY_WITH_TIMEOUT(transfer.ok->isEnabled(), kWaitMs);
        QCOMPARE(transfer.status->text(), TextOf(StringId::kClockCompleted));
        QVERIFY(!transfer.second->isEnabled());
        QVERIFY(!transfer.state.AbortRequest);
        QCOMPARE(QApplication::focusWidget(), transfer.ok);
        QVERIFY(KeysAndCloseBoxLeaveItOpen(transfer.dialog, transfer.ok, {Qt::Key_Escape}));
        QTest::keyClick(transfer.ok, Qt::Key_Return);
        QTRY_VERIFY(!transfer.dialog.isVisible());
        QVERIFY(!transfer.state.EditRequest);
        QVERIFY(prompts.record.isEmpty());
    }

    // Escape presses Cancel while the run can be stopped, as in the platform's own dialogs.
    void cancelDuringParameterReadAborts_data() {
        QTest::addColumn<bool>("byEscape");
        QTest::newRow("Cancel button") << false;
        QTest::newRow("Escape key") << true;
    }
    void cancelDuringParameterReadAborts() {
        QFETCH(bool, byEscape);
        SimulatedSensor sensor({}, kSimPort);
        ScriptedPrompts prompts;
        const auto canceller = CancelAfterFirstBank(byEscape);
        Transfer transfer(kReadParameters, kSimPort, kSimBaudIndex, m_folder.file("bank"));
        QVERIFY(transfer.run());
        QCOMPARE(transfer.status->text(), TextOf(StringId::kAborted));
        QVERIFY(transfer.ok->isEnabled());
        QVERIFY(!transfer.second->isEnabled());
        QVERIFY(prompts.record.isEmpty());
    }

    // The dialog shows the message and closes; the facts under it say where and why: the port, rate and
    // time-out of a silent sensor, a broken file's line and what it should hold, the device of a port
    // that cannot open (a missing file's facts are in torvctl's table of errors). The port is closed
    // again: the next operation opens it.
    void failureShowsItsMessageWithTheFactsAndCloses_data() {
        QTest::addColumn<FailureCase>("row");
        const std::string badBankHeader =
            "Common parameter\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11\r\n12\r\nXank\r\n";
        QTest::newRow("silent mid-operation")
            << FailureCase(kSetClock, "3=silence", kSimPort, kSimBaudIndex, "", StringId::kNoResponse,
                           " at 57600 baud within 1000 ms");
        QTest::newRow("bad bank header") << FailureCase(
            kWriteParameters, "", kSimPort, kSimBaudIndex, badBankHeader, StringId::kParameterFileInvalid,
            "bank.torv, line 14: expected \"Bank parameter No.0\"");
        QTest::newRow("missing device")
            << FailureCase(kSetClock, "", kMissingPort, kSimBaudIndex, "", StringId::kOpenPortFailed,
                           "no-such-device does not exist");
        QTest::newRow("no baud rate") << FailureCase(kSetClock, "", kSimPort, -1, "",
                                                     StringId::kBaudRateInvalid, "The baud rate is not set");
    }
    void failureShowsItsMessageWithTheFactsAndCloses() {
        QFETCH(FailureCase, row);
        TempDir folder;
        if (!row.file.empty()) {
            WriteFileBytes(folder.file("bank.torv"), row.file);
        }
        SetComPortDevicePath(kMissingPort, folder.file("no-such-device"));
        ScriptedPrompts prompts;
        {
            SimulatedSensor sensor(FaultOption(row.fault), kSimPort);
            Transfer transfer(row.code, row.port, row.baudIndex, folder.file("bank"));
            QVERIFY(transfer.run());
            QVERIFY(!transfer.dialog.isVisible());
        }
        QCOMPARE(prompts.record, QStringList{ErrorBox(row.message)});
        QCOMPARE(prompts.details.size(), 1);
        QVERIFY2(prompts.details[0].contains(row.detail), qPrintable(prompts.details[0]));
        SimulatedSensor sensor({}, kSimPort);
        Transfer next(kSetClock, kSimPort, kSimBaudIndex);
        QVERIFY(next.run());
        QCOMPARE(next.status->text(), TextOf(StringId::kClockCompleted));
        SetComPortDevicePath(kMissingPort, {});
    }
    void focusedButtonWearsAHighlightFrame() {
        QDialog dialog;
        auto* ok = new QPushButton(QStringLiteral("OK"));
        auto* cancel = new QPushButton(QStringLiteral("Cancel"));
        auto* layout = new QVBoxLayout(&dialog);
        layout->addWidget(ok);
        layout->addWidget(cancel);
        QVERIFY(ShowActive(dialog));
        const QColor highlight = ok->palette().highlight().color();
        ok->setFocus();
        const int focused = HighlightPixels(ok->grab().toImage(), highlight);
        cancel->setFocus();
        const int unfocused = HighlightPixels(ok->grab().toImage(), highlight);
        // A frame two pixels wide along most of the button's edges.
        QVERIFY2(focused - unfocused > 2 * (ok->width() + ok->height()),
                 qPrintable(QStringLiteral("%1 vs %2").arg(focused).arg(unfocused)));
    }
};

QTEST_MAIN(ComuDlgTest)
#include "comu_dlg_test.moc"
