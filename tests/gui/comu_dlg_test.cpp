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
constexpr int kOperationWaitMs = 60000;
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

struct DialogView {
    explicit DialogView(const CComuDlg& dialog)
        : ok(Button(&dialog, CComuDlg::kIdOk)),
          second(Button(&dialog, CComuDlg::kIdCancel)),
          status(Control<QLabel>(&dialog, CComuDlg::kIdStatus)),
          progress(Control<QProgressBar>(&dialog, CComuDlg::kIdProgress)) {}
    QPushButton* ok;
    QPushButton* second;
    QLabel* status;
    QProgressBar* progress;
};

OperationState StateFor(int code, int port, int baudIndex, const std::string& fileName = {}) {
    OperationState state;
    state.OperationCode = code;
    state.ComPortNumber = port;
    state.BaudIndex = baudIndex;
    state.OperationFileName = fileName;
    return state;
}

}  // namespace

class ComuDlgTest : public QObject {
    Q_OBJECT

  private slots:
    void startsDisabledAndInitializing() {
        OperationState state = StateFor(kSetClock, kMissingPort, kSimBaudIndex);
        CComuDlg dialog(state);
        DialogView view(dialog);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Communication"));
        QCOMPARE(view.status->text(), QStringLiteral("Initializing"));
        QCOMPARE(view.progress->minimum(), 0);
        QCOMPARE(view.progress->maximum(), kProgressMax);
        QVERIFY(!view.ok->isEnabled());
        QCOMPARE(view.second->text(), QStringLiteral("Cancel"));
        QVERIFY(view.second->isEnabled());
    }

    void clockCompletesWithOkOnly() {
        SimPort sim(kSimPort);
        ScriptedPrompts prompts;
        OperationState state = StateFor(kSetClock, kSimPort, kSimBaudIndex);
        CComuDlg dialog(state);
        DialogView view(dialog);
        dialog.open();
        QTRY_VERIFY_WITH_TIMEOUT(view.ok->isEnabled(), kOperationWaitMs);
        QCOMPARE(view.status->text(), TextOf(StringId::kClockCompleted));
        QVERIFY(!view.second->isEnabled());
        QCOMPARE(view.progress->value(), kProgressMax);
        QVERIFY(prompts.records().isEmpty());
        view.ok->click();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!state.EditRequest);
    }

    void parameterReadOffersEditWhichSetsEditRequest() {
        SimPort sim(kSimPort);
        TempDir folder;
        ScriptedPrompts prompts;
        OperationState state = StateFor(kReadParameters, kSimPort, kSimBaudIndex, folder.file("bank"));
        CComuDlg dialog(state);
        DialogView view(dialog);
        dialog.open();
        QTRY_VERIFY_WITH_TIMEOUT(view.ok->isEnabled(), kOperationWaitMs);
        QCOMPARE(view.status->text(), TextOf(StringId::kReadCompleted));
        QCOMPARE(view.second->text(), TextOf(StringId::kEdit));
        QVERIFY(view.second->isEnabled());
        QCOMPARE(LineCount(folder.file("bank.torv")), kParameterFileLines);
        QVERIFY(!state.EditRequest);
        view.second->click();
        QVERIFY(state.EditRequest);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void silentSensorMidOperationShowsTheErrorAndCloses() {
        // The second of the clock's eight word writes gets no answer.
        SimPort sim(kSimPort, {"--fault", "3=silence"});
        ScriptedPrompts prompts;
        OperationState state = StateFor(kSetClock, kSimPort, kSimBaudIndex);
        CComuDlg dialog(state);
        DialogView view(dialog);
        dialog.open();
        QTRY_COMPARE_WITH_TIMEOUT(prompts.records().size(), 1, kOperationWaitMs);
        const PromptRecord& box = prompts.records().first();
        QCOMPARE(box.kind, PromptRecord::kMessage);
        QCOMPARE(box.caption, Caption::kError);
        QCOMPARE(box.icon, Icon::kStop);
        QCOMPARE(box.text, TextOf(StringId::kNoResponse));
        QCOMPARE(box.parent, &dialog);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.isVisible(), kOperationWaitMs);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(view.status->text() != TextOf(StringId::kClockCompleted));
    }

    void cancelDuringParameterReadAborts() {
        SimPort sim(kSimPort);
        TempDir folder;
        ScriptedPrompts prompts;
        OperationState state = StateFor(kReadParameters, kSimPort, kSimBaudIndex, folder.file("bank"));
        CComuDlg dialog(state);
        DialogView view(dialog);
        // The user presses Cancel while the first bank is shown done; the press reaches the dialog the
        // next time the operation lets messages through.
        connect(view.progress, &QProgressBar::valueChanged, view.second, [&](int value) {
            if (value == kProgressAfterFirstBank) {
                QMetaObject::invokeMethod(view.second, &QPushButton::click, Qt::QueuedConnection);
            }
        });
        dialog.open();
        QTRY_VERIFY_WITH_TIMEOUT(view.ok->isEnabled(), kOperationWaitMs);
        QCOMPARE(view.status->text(), TextOf(StringId::kAborted));
        QVERIFY(!view.second->isEnabled());
        QCOMPARE(view.second->text(), QStringLiteral("Cancel"));
        QVERIFY(view.progress->value() < kProgressMax);
        QVERIFY(!state.AbortRequest);
        QVERIFY(prompts.records().isEmpty());
        const int lines = LineCount(folder.file("bank.torv"));
        QVERIFY2(lines > 0 && lines < kParameterFileLines, qPrintable(QString::number(lines)));
        view.ok->click();
        QVERIFY(!state.EditRequest);
    }

    void linkThatCannotOpenShowsItsErrorAndCloses_data() {
        QTest::addColumn<bool>("portPresent");
        QTest::addColumn<int>("baudIndex");
        QTest::addColumn<int>("message");
        QTest::newRow("missing device") << false << kSimBaudIndex << int(StringId::kOpenPortFailed);
        QTest::newRow("no baud rate selected") << true << -1 << int(StringId::kBaudRateInvalid);
        QTest::newRow("baud index 7") << true << 7 << int(StringId::kBaudRateInvalid);
    }
    void linkThatCannotOpenShowsItsErrorAndCloses() {
        QFETCH(bool, portPresent);
        QFETCH(int, baudIndex);
        QFETCH(int, message);
        SimPort sim(kSimPort);
        MissingPort missing(kMissingPort);
        ScriptedPrompts prompts;
        OperationState state = StateFor(kSetClock, portPresent ? kSimPort : kMissingPort, baudIndex);
        CComuDlg dialog(state);
        DialogView view(dialog);
        dialog.open();
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.isVisible(), kOperationWaitMs);
        QCOMPARE(prompts.records().size(), 1);
        QCOMPARE(prompts.records().first().caption, Caption::kError);
        QCOMPARE(prompts.records().first().icon, Icon::kStop);
        QCOMPARE(prompts.records().first().text, TextOf(static_cast<StringId>(message)));
        QCOMPARE(view.status->text(), QStringLiteral("Initializing"));
        // The port was closed again: a second operation can open it.
        OperationState next = StateFor(kSetClock, kSimPort, kSimBaudIndex);
        CComuDlg again(next);
        again.open();
        QTRY_VERIFY_WITH_TIMEOUT(DialogView(again).ok->isEnabled(), kOperationWaitMs);
        QCOMPARE(DialogView(again).status->text(), TextOf(StringId::kClockCompleted));
    }

    // A stop request left over (the monitor leaves one behind) does not cancel the next operation.
    void staleAbortRequestIsClearedAtTheStart() {
        SimPort sim(kSimPort);
        ScriptedPrompts prompts;
        OperationState state = StateFor(kSetClock, kSimPort, kSimBaudIndex);
        state.AbortRequest = true;
        state.EditRequest = true;
        CComuDlg dialog(state);
        DialogView view(dialog);
        dialog.open();
        QTRY_VERIFY_WITH_TIMEOUT(view.ok->isEnabled(), kOperationWaitMs);
        QCOMPARE(view.status->text(), TextOf(StringId::kClockCompleted));
        QVERIFY(!state.AbortRequest);
        QVERIFY(!state.EditRequest);
    }

    void existingFileIsOverwrittenOnlyAfterTheQuestion() {
        SimPort sim(kSimPort);
        TempDir folder;
        WriteFileBytes(folder.file("bank.torv"), "keep me\r\n");
        ScriptedPrompts prompts;
        prompts.answerQuestions(false);
        OperationState state = StateFor(kReadParameters, kSimPort, kSimBaudIndex, folder.file("bank"));
        CComuDlg dialog(state);
        DialogView view(dialog);
        dialog.open();
        QTRY_VERIFY_WITH_TIMEOUT(view.ok->isEnabled(), kOperationWaitMs);
        QCOMPARE(prompts.countOf(StringId::kSameFileOverwrite), 1);
        QCOMPARE(prompts.records().first().parent, &dialog);
        QCOMPARE(view.status->text(), TextOf(StringId::kAborted));
        QCOMPARE(ReadFileBytes(folder.file("bank.torv")), std::string("keep me\r\n"));
    }
};

QTEST_MAIN(ComuDlgTest)
#include "comu_dlg_test.moc"
