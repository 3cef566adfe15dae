// The remote controller against torvsim: every key source sends its frame, a silent sensor gives one
// error per key and the dialog stays usable, a missing port shows 142, and only Quit closes it.

#include <QKeyEvent>
#include <QToolButton>
#include <functional>

#include "link/frames.h"
#include "remote/remote_dlg.h"
#include "remote/up_down_control.h"
#include "tests/gui/support/gui_harness.h"

using namespace torv;
using namespace torv::test;

namespace {

constexpr int kMissingPort = 12;

// A key-down as the window system sends it while the key is held.
void HeldKeyRepeat(QWidget* widget, Qt::Key key) {
    QKeyEvent repeat(QEvent::KeyPress, key, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(widget, &repeat);
}

}  // namespace

class RemoteTest : public QObject {
    Q_OBJECT

    OperationState m_state;

    // Runs the dialog on `port`; `actions` run once it is shown. The dialog's result, or -1 when
    // `actions` left it open (it is then closed through Quit).
    int runRemote(int port, const std::function<void(CRemoteDlg&)>& actions) {
        m_state.ComPortNumber = port;
        m_state.BaudIndex = kDefaultBaudIndex;
        CRemoteDlg dialog(m_state);
        bool leftOpen = false;
        QTimer::singleShot(0, &dialog, [&] {
            QVERIFY(ShowActive(dialog));
            actions(dialog);
            QTest::qWait(kSettleMs);
            leftOpen = dialog.isVisible();
            if (leftOpen) {
                Get<QPushButton>(&dialog, CRemoteDlg::kIdQuit)->click();
            }
        });
        const int result = dialog.exec();
        return leftOpen ? -1 : result;
    }

  private slots:
    void everyKeySourceSendsItsFrame() {
        SimulatedSensor sensor;
        ScriptedPrompts prompts;
        const int result = runRemote(sensor.port(), [](CRemoteDlg& dialog) {
            for (int id : {CRemoteDlg::kIdSet, CRemoteDlg::kIdExit, CRemoteDlg::kIdView,
                           CRemoteDlg::kIdViewUp, CRemoteDlg::kIdViewDown}) {
                Get<QPushButton>(&dialog, id)->click();
            }
            for (int id : {CRemoteDlg::kIdUpDownLeft, CRemoteDlg::kIdUpDownRight}) {
                Get<UpDownControl>(&dialog, id)->upperArrow()->click();
                Get<UpDownControl>(&dialog, id)->lowerArrow()->click();
            }
            QWidget* focused = QApplication::focusWidget();
            for (Qt::Key key :
                 {Qt::Key_Q, Qt::Key_A, Qt::Key_S, Qt::Key_D, Qt::Key_E, Qt::Key_R, Qt::Key_F}) {
                QTest::keyClick(focused, key);
            }
            QTest::keyClick(focused, Qt::Key_R, Qt::ShiftModifier);
            for (int repeat = 0; repeat < 3; ++repeat) {
                HeldKeyRepeat(focused, Qt::Key_Q);
            }
            QPushButton* exit = Get<QPushButton>(&dialog, CRemoteDlg::kIdExit);
            exit->setFocus();
            QTest::keyClick(exit, Qt::Key_Return);
            QTest::qWait(kSettleMs);
            // Escape and the window system close nothing.
            QTest::keyClick(exit, Qt::Key_Escape);
            QVERIFY(!dialog.close());
            // Enter on Quit closes the port and the dialog.
            QPushButton* quit = Get<QPushButton>(&dialog, CRemoteDlg::kIdQuit);
            quit->setFocus();
            QTest::keyClick(quit, Qt::Key_Return);
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QVERIFY(prompts.record.isEmpty());
        const std::vector<std::string> expected{
            "P 04 00", "P 08 00", "P 10 00", "P 11 00", "P 12 00",                        // buttons
            "P 01 00", "P 02 00", "P 01 00", "P 02 00",                                   // arrows
            "P 01 00", "P 02 00", "P 04 00", "P 08 00", "P 10 00", "P 11 00", "P 12 00",  // letters
            "P 11 00",                                                                    // Shift+R
            "P 01 00", "P 01 00", "P 01 00",                                              // held Q
            "P 08 00",                                                                    // Enter on EXIT
        };
        QCOMPARE(sensor.frames(), expected);
        // The port was closed: it opens again.
        QCOMPARE(OpenLink(sensor.port(), kDefaultBaudIndex), int(kLinkOpened));
        CloseLink(sensor.port());
    }

    void silentSensorGivesOneErrorPerKeyAndTheDialogStays() {
        SimulatedSensor sensor({"--fault", "1+=silence"});
        ScriptedPrompts prompts;
        bool stayed = false;
        runRemote(sensor.port(), [&](CRemoteDlg& dialog) {
            Get<QPushButton>(&dialog, CRemoteDlg::kIdView)->click();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_A);
            stayed = dialog.isVisible();
        });
        QVERIFY(stayed);
        QCOMPARE(prompts.record,
                 (QStringList{ErrorBox(StringId::kNoResponse), ErrorBox(StringId::kNoResponse)}));
        QCOMPARE(sensor.frames(), (std::vector<std::string>{"P 10 00", "P 02 00"}));
        QCOMPARE(prompts.details.size(), 2);
        QVERIFY(prompts.details.first().startsWith(QStringLiteral("No reply from the sensor on")));
    }

    void missingPortShows142AndReturns() {
        ScriptedPrompts prompts;
        SetComPortDevicePath(kMissingPort, "/nonexistent/ttyTORV");
        bool shown = false;
        const int result = runRemote(kMissingPort, [&](CRemoteDlg&) { shown = true; });
        QCOMPARE(result, int(QDialog::Rejected));
        QVERIFY(!shown);
        QCOMPARE(prompts.record, QStringList{ErrorBox(StringId::kOpenPortFailed)});
        QCOMPARE(
            prompts.details,
            QStringList{QStringLiteral("/nonexistent/ttyTORV does not exist (is the adapter plugged in?).")});
        SetComPortDevicePath(kMissingPort, {});
    }
};

QTEST_MAIN(RemoteTest)
#include "remote_test.moc"
