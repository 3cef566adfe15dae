// Keys in the main window and the transfer dialog: Enter presses the focused button and nothing else;
// Escape closes nothing.

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "app/data_loader_dlg.h"
#include "app/main_window_ids.h"
#include "link/comu_dlg.h"
#include "tests/gui/support/gui_harness.h"
#include "tests/gui/support/scripted_prompts.h"
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

    TempDir m_folder;
    OperationState m_state;

  private slots:
    void enterOnExitAsksTheExitQuestion() {
        ScriptedPrompts prompts(false);
        CDataLoaderDlg window(m_state, m_folder.file("x.ini"));
        ShowActive(window);
        Get<QPushButton>(&window, kIdExit)->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(prompts.countOf(StringId::kAgreeToExit), 1, kWaitMs);
    }

    void enterInAFilenameFieldAndEscapeAnywhereDoNothing() {
        ScriptedPrompts prompts;
        CDataLoaderDlg window(m_state, m_folder.file("x.ini"));
        ShowActive(window);
        auto* field = Get<QLineEdit>(&window, kIdParameterName);
        field->setFocus();
        QSignalSpy returnPressed(field, &QLineEdit::returnPressed);
        QTest::keyClick(field, Qt::Key_Return);
        QTest::keyClick(field, Qt::Key_Enter);
        for (int id : {kIdExit, kIdParameterName, kIdComPort}) {
            QTest::keyClick(Get(&window, id), Qt::Key_Escape);
        }
        QVERIFY(!window.close());
        QTest::qWait(kSettleMs);
        QCOMPARE(returnPressed.count(), 0);
        QVERIFY(prompts.record.isEmpty());
        QVERIFY(window.isVisible());
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
        auto* ok = Get<QPushButton>(&dialog, CComuDlg::kIdOk);
        QTRY_VERIFY_WITH_TIMEOUT(ok->isEnabled(), kWaitMs);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!dialog.close());
        QTest::qWait(kSettleMs);
        QVERIFY(dialog.isVisible());
        QCOMPARE(QApplication::focusWidget(), ok);
        QTest::keyClick(ok, Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.isVisible(), kWaitMs);
        QVERIFY(prompts.record.isEmpty());
    }
};

QTEST_MAIN(KeyRuleTest)
#include "key_rule_test.moc"
