// The transfer dialog running real operations against the simulated sensor: completion,
// failures, Cancel, link open failures, and the keys.

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include "operations/device_operations.h"
#include "tests/gui/support/gui_harness.h"
#include "tests/gui/support/scripted_prompts.h"
#include "tests/support/temp_dir.h"
#include "ui/comu_dlg.h"

using namespace torv;
using namespace torv::test;

namespace {

constexpr int kSimPort = 2;
constexpr int kMissingPort = 8;
constexpr int kSimBaudIndex = 4;  // torvsim starts at 57600
constexpr int kWaitMs = 60000;
constexpr int kProgressAfterFirstBank = 60;

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

}  // namespace

class ComuDlgTest : public QObject {
    Q_OBJECT

    TempDir m_folder;

  private slots:
    // A stop request left over (the monitor leaves one behind) does not cancel the next operation. The
    // finished dialog has OK focused: Escape and the window system leave it open, Enter closes it.
    void clockCompletesWithOkOnlyAndClosesByEnterNotEscape() {
        SimPort sim(kSimPort);
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
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!transfer.dialog.close());
        QTest::qWait(kSettleMs);
        QVERIFY(transfer.dialog.isVisible());
        QCOMPARE(QApplication::focusWidget(), transfer.ok);
        QTest::keyClick(transfer.ok, Qt::Key_Return);
        QTRY_VERIFY(!transfer.dialog.isVisible());
        QVERIFY(!transfer.state.EditRequest);
        QVERIFY(prompts.record.isEmpty());
    }

    void silentSensorMidOperationShowsTheErrorAndCloses() {
        SimPort sim(kSimPort, {"--fault", "3=silence"});  // the clock's second word write
        ScriptedPrompts prompts;
        Transfer transfer(kSetClock, kSimPort, kSimBaudIndex);
        QVERIFY(transfer.run());
        QVERIFY(!transfer.dialog.isVisible());
        QCOMPARE(prompts.record, QStringList{ErrorBox(StringId::kNoResponse)});
        QCOMPARE(prompts.details.size(), 1);
        QVERIFY(prompts.details[0].contains(QStringLiteral(" at 57600 baud within 1000 ms")));
    }

    // Cancel is pressed as the first bank shows done; the press arrives when the operation next lets
    // messages through.
    // Escape presses Cancel while the run can be stopped, as in the platform's own dialogs.
    void cancelDuringParameterReadAborts_data() {
        QTest::addColumn<bool>("byEscape");
        QTest::newRow("Cancel button") << false;
        QTest::newRow("Escape key") << true;
    }
    void cancelDuringParameterReadAborts() {
        QFETCH(bool, byEscape);
        SimPort sim(kSimPort);
        ScriptedPrompts prompts;
        Transfer transfer(kReadParameters, kSimPort, kSimBaudIndex, m_folder.file("bank"));
        QPushButton* cancel = transfer.second;
        connect(Get<QProgressBar>(&transfer.dialog, CComuDlg::kIdProgress), &QProgressBar::valueChanged,
                cancel, [cancel, byEscape](int value) {
                    if (value != kProgressAfterFirstBank) {
                        return;
                    }
                    QTimer::singleShot(0, cancel, [cancel, byEscape] {
                        if (byEscape) {
                            QTest::keyClick(cancel->window(), Qt::Key_Escape);
                        } else {
                            cancel->click();
                        }
                    });
                });
        QVERIFY(transfer.run());
        QCOMPARE(transfer.status->text(), TextOf(StringId::kAborted));
        QVERIFY(transfer.ok->isEnabled());
        QVERIFY(!cancel->isEnabled());
        QVERIFY(prompts.record.isEmpty());
    }

    // A file message names the file, and for a broken file the line and what it should hold.
    void fileProblemsNameTheFileAndTheLine_data() {
        QTest::addColumn<QByteArray>("content");  // empty: no file
        QTest::addColumn<int>("message");
        QTest::addColumn<QString>("detail");
        QTest::newRow("missing") << QByteArray() << int(StringId::kParameterFileNotFound)
                                 << QStringLiteral("bank.torv does not exist.");
        QTest::newRow("bad bank header")
            << QByteArray(
                   "Common "
                   "parameter\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11\r\n12\r\nXank\r\n")
            << int(StringId::kParameterFileInvalid)
            << QStringLiteral("bank.torv, line 14: expected \"Bank parameter No.0\"");
    }
    void fileProblemsNameTheFileAndTheLine() {
        QFETCH(QByteArray, content);
        QFETCH(int, message);
        QFETCH(QString, detail);
        SimPort sim(kSimPort);
        ScriptedPrompts prompts;
        TempDir folder;
        if (!content.isEmpty()) {
            WriteFileBytes(folder.file("bank.torv"), content.toStdString());
        }
        Transfer transfer(kWriteParameters, kSimPort, kSimBaudIndex, folder.file("bank"));
        QVERIFY(transfer.run());
        QCOMPARE(prompts.record, QStringList{ErrorBox(static_cast<StringId>(message))});
        QCOMPARE(prompts.details.size(), 1);
        QVERIFY2(prompts.details[0].contains(detail), qPrintable(prompts.details[0]));
    }

    void linkThatCannotOpenShowsItsErrorAndCloses_data() {
        QTest::addColumn<int>("port");
        QTest::addColumn<int>("baudIndex");
        QTest::addColumn<int>("message");
        QTest::addColumn<QString>("detail");
        QTest::newRow("missing device") << kMissingPort << kSimBaudIndex << int(StringId::kOpenPortFailed)
                                        << QStringLiteral("no-such-device does not exist");
        QTest::newRow("no baud rate selected") << kSimPort << -1 << int(StringId::kBaudRateInvalid)
                                               << QStringLiteral("The baud rate is not set");
        QTest::newRow("baud index 7")
            << kSimPort << 7 << int(StringId::kBaudRateInvalid) << QStringLiteral("The baud rate is not set");
    }
    void linkThatCannotOpenShowsItsErrorAndCloses() {
        QFETCH(int, port);
        QFETCH(int, baudIndex);
        QFETCH(int, message);
        QFETCH(QString, detail);
        SimPort sim(kSimPort);
        SetComPortDevicePath(kMissingPort, m_folder.file("no-such-device"));
        ScriptedPrompts prompts;
        Transfer transfer(kSetClock, port, baudIndex);
        QVERIFY(transfer.run());
        QVERIFY(!transfer.dialog.isVisible());
        QCOMPARE(prompts.record, QStringList{ErrorBox(static_cast<StringId>(message))});
        QCOMPARE(prompts.details.size(), 1);
        QVERIFY2(prompts.details[0].contains(detail), qPrintable(prompts.details[0]));
        // The port was closed again: the next operation opens it.
        Transfer next(kSetClock, kSimPort, kSimBaudIndex);
        QVERIFY(next.run());
        QCOMPARE(next.status->text(), TextOf(StringId::kClockCompleted));
    }
};

QTEST_MAIN(ComuDlgTest)
#include "comu_dlg_test.moc"
