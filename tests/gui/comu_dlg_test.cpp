// The transfer dialog running real operations against the simulated sensor: completion, EDIT,
// failures, Cancel and link open failures.

#include <QtTest>

#include <fstream>
#include <string>

#include "link/comu_dlg.h"
#include "tests/gui/support/main_window_access.h"
#include "tests/gui/support/scripted_prompts.h"
#include "tests/gui/support/sim_port.h"
#include "tests/support/temp_dir.h"

using namespace torv;
using namespace torv::test;

namespace {

constexpr int kSimPort = 2;
constexpr int kMissingPort = 8;
constexpr int kSimBaudIndex = 4;  // torvsim starts at 57600
constexpr int kWaitMs = 60000;
constexpr int kParameterFileLines = 607;
constexpr int kProgressAfterFirstBank = 60;

int LineCount(const std::string& path) {
    std::ifstream in(path);
    int lines = 0;
    for (std::string line; std::getline(in, line);) {
        ++lines;
    }
    return lines;
}

// One transfer dialog for one operation, and its controls.
struct Transfer {
    Transfer(int code, int port, int baudIndex, const std::string& fileName = {}) : dialog(state) {
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
    QPushButton* ok = Button(&dialog, CComuDlg::kIdOk);
    QPushButton* second = Button(&dialog, CComuDlg::kIdCancel);
    QLabel* status = Control<QLabel>(&dialog, CComuDlg::kIdStatus);
    QProgressBar* progress = Control<QProgressBar>(&dialog, CComuDlg::kIdProgress);
};

}  // namespace

class ComuDlgTest : public QObject {
    Q_OBJECT

  private slots:
    void clockCompletesWithOkOnly() {
        SimPort sim(kSimPort);
        ScriptedPrompts prompts;
        Transfer transfer(kSetClock, kSimPort, kSimBaudIndex);
        QCOMPARE(transfer.status->text(), QStringLiteral("Initializing"));
        QVERIFY(transfer.run());
        QCOMPARE(transfer.status->text(), TextOf(StringId::kClockCompleted));
        QVERIFY(!transfer.second->isEnabled());
        QCOMPARE(transfer.progress->value(), kProgressMax);
        QVERIFY(prompts.records().isEmpty());
        transfer.ok->click();
        QVERIFY(!transfer.dialog.isVisible());
        QCOMPARE(transfer.dialog.result(), int(QDialog::Accepted));
        QVERIFY(!transfer.state.EditRequest);
    }

    void parameterReadOffersEditWhichSetsEditRequest() {
        SimPort sim(kSimPort);
        TempDir folder;
        ScriptedPrompts prompts;
        Transfer transfer(kReadParameters, kSimPort, kSimBaudIndex, folder.file("bank"));
        QVERIFY(transfer.run());
        QCOMPARE(transfer.status->text(), TextOf(StringId::kReadCompleted));
        QCOMPARE(transfer.second->text(), TextOf(StringId::kEdit));
        QVERIFY(transfer.second->isEnabled());
        QCOMPARE(LineCount(folder.file("bank.torv")), kParameterFileLines);
        QVERIFY(!transfer.state.EditRequest);
        transfer.second->click();
        QVERIFY(transfer.state.EditRequest);
        QVERIFY(!transfer.dialog.isVisible());
        QCOMPARE(transfer.dialog.result(), int(QDialog::Accepted));
    }

    void silentSensorMidOperationShowsTheErrorAndCloses() {
        SimPort sim(kSimPort, {"--fault", "3=silence"});  // the clock's second word write
        ScriptedPrompts prompts;
        Transfer transfer(kSetClock, kSimPort, kSimBaudIndex);
        QVERIFY(transfer.run());
        QVERIFY(!transfer.dialog.isVisible());
        QCOMPARE(transfer.dialog.result(), int(QDialog::Rejected));
        QCOMPARE(prompts.records().size(), 1);
        const PromptRecord& box = prompts.records().first();
        QCOMPARE(box.text, TextOf(StringId::kNoResponse));
        QCOMPARE(box.caption, Caption::kError);
        QCOMPARE(box.icon, Icon::kStop);
        QCOMPARE(box.parent, &transfer.dialog);
    }

    void cancelDuringParameterReadAborts() {
        SimPort sim(kSimPort);
        TempDir folder;
        ScriptedPrompts prompts;
        Transfer transfer(kReadParameters, kSimPort, kSimBaudIndex, folder.file("bank"));
        // Cancel is pressed as the first bank shows done; the press arrives when the operation next
        // lets messages through.
        QPushButton* cancel = transfer.second;
        connect(transfer.progress, &QProgressBar::valueChanged, cancel, [cancel](int value) {
            if (value == kProgressAfterFirstBank) {
                QMetaObject::invokeMethod(cancel, &QPushButton::click, Qt::QueuedConnection);
            }
        });
        QVERIFY(transfer.run());
        QCOMPARE(transfer.status->text(), TextOf(StringId::kAborted));
        QVERIFY(transfer.ok->isEnabled());
        QVERIFY(!cancel->isEnabled());
        QCOMPARE(cancel->text(), QStringLiteral("Cancel"));
        QVERIFY(transfer.progress->value() < kProgressMax);
        QVERIFY(!transfer.state.AbortRequest);
        QVERIFY(prompts.records().isEmpty());
        const int lines = LineCount(folder.file("bank.torv"));
        QVERIFY2(lines > 0 && lines < kParameterFileLines, qPrintable(QString::number(lines)));
    }

    void linkThatCannotOpenShowsItsErrorAndCloses_data() {
        QTest::addColumn<int>("port");
        QTest::addColumn<int>("baudIndex");
        QTest::addColumn<int>("message");
        QTest::newRow("missing device") << kMissingPort << kSimBaudIndex << int(StringId::kOpenPortFailed);
        QTest::newRow("no baud rate selected") << kSimPort << -1 << int(StringId::kBaudRateInvalid);
        QTest::newRow("baud index 7") << kSimPort << 7 << int(StringId::kBaudRateInvalid);
    }
    void linkThatCannotOpenShowsItsErrorAndCloses() {
        QFETCH(int, port);
        QFETCH(int, baudIndex);
        QFETCH(int, message);
        SimPort sim(kSimPort);
        MissingPort missing(kMissingPort);
        ScriptedPrompts prompts;
        Transfer transfer(kSetClock, port, baudIndex);
        QVERIFY(transfer.run());
        QVERIFY(!transfer.dialog.isVisible());
        QCOMPARE(prompts.records().size(), 1);
        QCOMPARE(prompts.records().first().caption, Caption::kError);
        QCOMPARE(prompts.records().first().text, TextOf(static_cast<StringId>(message)));
        QCOMPARE(transfer.status->text(), QStringLiteral("Initializing"));
        // The port was closed again: the next operation opens it.
        Transfer next(kSetClock, kSimPort, kSimBaudIndex);
        QVERIFY(next.run());
        QCOMPARE(next.status->text(), TextOf(StringId::kClockCompleted));
    }

    // A stop request left over (the monitor leaves one behind) does not cancel the next operation.
    void staleRequestsAreClearedAtTheStart() {
        SimPort sim(kSimPort);
        ScriptedPrompts prompts;
        Transfer transfer(kSetClock, kSimPort, kSimBaudIndex);
        transfer.state.AbortRequest = true;
        transfer.state.EditRequest = true;
        QVERIFY(transfer.run());
        QCOMPARE(transfer.status->text(), TextOf(StringId::kClockCompleted));
        QVERIFY(!transfer.state.AbortRequest);
        QVERIFY(!transfer.state.EditRequest);
    }
};

QTEST_MAIN(ComuDlgTest)
#include "comu_dlg_test.moc"
