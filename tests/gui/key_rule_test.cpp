// Keys in the tool's windows: Enter presses the focused button and nothing else; Escape closes
// nothing, in the main window and in the transfer dialog.

#include <QtTest>

#include "app/data_loader_dlg.h"
#include "app/main_window_ids.h"
#include "link/comu_dlg.h"
#include "tests/gui/support/main_window_access.h"
#include "tests/gui/support/scripted_prompts.h"
#include "tests/gui/support/sim_port.h"
#include "tests/support/temp_dir.h"

using namespace torv;
using namespace torv::test;

namespace {

constexpr int kWaitMs = 30000;
constexpr int kSimPort = 4;
// Long enough for anything a key might have posted to have run.
constexpr int kSettleMs = 100;

void ShowActive(QWidget& window) {
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

}  // namespace

class KeyRuleTest : public QObject {
    Q_OBJECT

  private:
    TempDir m_folder;
    OperationState m_state;

  private slots:
    void enterOnExitAsksTheExitQuestion() {
        ScriptedPrompts prompts;
        prompts.answerQuestions(false);
        CDataLoaderDlg window(m_state, m_folder.file("x.ini"));
        ShowActive(window);
        Button(&window, kIdExit)->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(prompts.countOf(StringId::kAgreeToExit), 1, kWaitMs);
        QVERIFY(window.isVisible());
    }

    void enterInAFilenameFieldDoesNothing() {
        ScriptedPrompts prompts;
        CDataLoaderDlg window(m_state, m_folder.file("x.ini"));
        ShowActive(window);
        QLineEdit* field = Field(&window, kIdParameterName);
        field->setFocus();
        QSignalSpy returnPressed(field, &QLineEdit::returnPressed);
        QTest::keyClick(field, Qt::Key_Return);
        QTest::keyClick(field, Qt::Key_Enter);
        QTest::qWait(kSettleMs);
        QCOMPARE(returnPressed.count(), 0);
        QVERIFY(prompts.records().isEmpty());
        QVERIFY(window.isVisible());
    }

    void escapeNeverClosesTheMainWindow() {
        ScriptedPrompts prompts;
        CDataLoaderDlg window(m_state, m_folder.file("x.ini"));
        ShowActive(window);
        for (int id : {kIdExit, kIdParameterName, kIdComPort}) {
            FindControl(&window, id)->setFocus();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        }
        window.reject();
        QVERIFY(!window.close());
        QTest::qWait(kSettleMs);
        QVERIFY(window.isVisible());
        QVERIFY(prompts.records().isEmpty());
    }

    // The finished dialog has OK focused: Escape and the window system leave it open, Enter closes it.
    void transferDialogClosesByEnterOnOkNotByEscape() {
        SimPort sim(kSimPort);
        ScriptedPrompts prompts;
        OperationState state;
        state.OperationCode = kSetClock;
        state.ComPortNumber = kSimPort;
        CComuDlg dialog(state);
        ShowActive(dialog);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);  // while it waits to start
        QPushButton* ok = Button(&dialog, CComuDlg::kIdOk);
        QTRY_VERIFY_WITH_TIMEOUT(ok->isEnabled(), kWaitMs);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!dialog.close());
        QTest::qWait(kSettleMs);
        QVERIFY(dialog.isVisible());
        QCOMPARE(QApplication::focusWidget(), ok);
        QTest::keyClick(ok, Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.isVisible(), kWaitMs);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(prompts.records().isEmpty());
    }
};

QTEST_MAIN(KeyRuleTest)
#include "key_rule_test.moc"
