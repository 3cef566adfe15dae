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

constexpr int kWaitMs = 5000;
constexpr int kOperationWaitMs = 30000;
// A port tied to a missing device, and one tied to the simulated sensor.
constexpr int kUnusedPort = 9;
constexpr int kSimPort = 4;

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

    void enterOnAnotherButtonPressesThatButton() {
        ScriptedPrompts prompts;
        CDataLoaderDlg window(m_state, m_folder.file("x.ini"));
        ShowActive(window);
        Button(&window, kIdParameterRef)->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
        QTRY_COMPARE_WITH_TIMEOUT(prompts.records().size(), 1, kWaitMs);
        QCOMPARE(prompts.records().first().kind, PromptRecord::kFileChooser);
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
        // Let anything the keys might have posted run before checking that nothing happened.
        QTest::qWait(100);
        QCOMPARE(returnPressed.count(), 0);
        QVERIFY(prompts.records().isEmpty());
        QVERIFY(window.isVisible());
    }

    void noButtonOfTheMainWindowIsADefaultButton() {
        CDataLoaderDlg window(m_state, m_folder.file("x.ini"));
        for (QPushButton* button : window.findChildren<QPushButton*>()) {
            QVERIFY2(!button->autoDefault() && !button->isDefault(), qPrintable(button->text()));
        }
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
        QTest::qWait(100);
        QVERIFY(window.isVisible());
        QVERIFY(prompts.records().isEmpty());
    }

    // The transfer dialog stays open, whatever the keyboard or the window system do, until OK.
    void escapeNeverClosesTheTransferDialog() {
        MissingPort missing(kUnusedPort);
        ScriptedPrompts prompts;
        OperationState state;
        state.OperationCode = kSetClock;
        state.ComPortNumber = kUnusedPort;
        CComuDlg dialog(state);
        dialog.open();
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(!dialog.close());
        QVERIFY(dialog.isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.isVisible(), kWaitMs);  // the port fails to open: 142
        QCOMPARE(prompts.countOf(StringId::kOpenPortFailed), 1);
    }

    void finishedTransferDialogClosesByEnterOnOkNotByEscape() {
        SimPort sim(kSimPort);
        ScriptedPrompts prompts;
        OperationState state;
        state.OperationCode = kSetClock;
        state.ComPortNumber = kSimPort;
        CComuDlg dialog(state);
        ShowActive(dialog);
        QPushButton* ok = Button(&dialog, CComuDlg::kIdOk);
        QTRY_VERIFY_WITH_TIMEOUT(ok->isEnabled(), kOperationWaitMs);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!dialog.close());
        QTest::qWait(100);
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
