// The main window: what is not wired yet, the operations and editor it starts, and its keys: Enter
// presses the focused button and nothing else, Escape closes nothing.

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "app/data_loader_dlg.h"
#include "app/main_window_ids.h"
#include "params/pedit_controls.h"
#include "tests/gui/support/gui_harness.h"
#include "tests/gui/support/scripted_prompts.h"
#include "tests/support/temp_dir.h"
#include "ui/comu_dlg.h"

using namespace torv;
using namespace torv::test;

namespace {

constexpr int kSimPort = 3;
constexpr int kCommunicWord = 4;  // the sensor's rate code, bits 8 to 10
constexpr int kCommunicShift = 8;
constexpr int kCommunicMask = 0x7 << kCommunicShift;
const QString kAgreeOverwrite =
    Prompt(Box::kQuestion, Caption::kWarningBang, Icon::kExclamation, StringId::kAgreeOverwriteSensor);

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

    TempDir m_folder;
    OperationState m_state;

    // The window with its lists on the simulated sensor and its parameter field on `name`.
    std::unique_ptr<CDataLoaderDlg> windowOnSim(const std::string& name) {
        auto window = std::make_unique<CDataLoaderDlg>(m_state, m_folder.file("x.ini"));
        Get<QComboBox>(window.get(), kIdComPort)->setCurrentIndex(kSimPort - 1);
        Get<QComboBox>(window.get(), kIdBaudRate)->setCurrentText(QStringLiteral("57600"));
        Get<QLineEdit>(window.get(), kIdParameterName)->setText(QString::fromStdString(m_folder.file(name)));
        return window;
    }

  private slots:
    void onlyWiredButtonsCanBePressed() {
        CDataLoaderDlg window(m_state, m_folder.file("x.ini"));
        for (int id :
             {kIdReadRecognized, kIdReadNgCharacters, kIdReadDictionary, kIdEditDictionary,
              kIdWriteDictionary, kIdStopMonitor}) {
            QVERIFY2(!Get(&window, id)->isEnabled(), qPrintable(QString::number(id)));
        }
        for (int id : {kIdReadParameters, kIdEditParameters, kIdWriteParameters, kIdSetClock, kIdExit,
                       kIdParameterRef, kIdDictionaryRef, kIdNgDataRef, kIdMonitorRef, kIdReadNgData,
                       kIdDisplayNgData, kIdConvertNgData, kIdNgDataNumber, kIdStartMonitor, kIdRemoteControl,
                       kIdGeneratesCsv}) {
            QVERIFY2(Get(&window, id)->isEnabled(), qPrintable(QString::number(id)));
        }
    }

    // Enter in a Filename field and Escape anywhere do nothing; Enter on "Exit" presses it.
    void keysPressOnlyTheFocusedButtonAndCloseNothing() {
        ScriptedPrompts prompts(false);
        CDataLoaderDlg window(m_state, m_folder.file("x.ini"));
        QVERIFY(ShowActive(window));
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
        QVERIFY(prompts.record.isEmpty() && window.isVisible());
        Get<QPushButton>(&window, kIdExit)->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_COMPARE(prompts.record, QStringList{Prompt(Box::kQuestion, Caption::kTorv, Icon::kQuestion,
                                                        StringId::kAgreeToExit)});
    }

    // EDIT after the read opens the editor on the file just read; leaving it with Exit writes nothing.
    void readParametersRunsOperation1AndEditOpensTheEditor() {
        SimPort sim(kSimPort);
        ScriptedPrompts prompts;
        ModalPresser edit("torv::CComuDlg", CComuDlg::kIdCancel, CComuDlg::kIdOk);
        ModalPresser editorExit("torv::CPeditDlg", kExitId);
        auto window = windowOnSim("read");
        Get<QPushButton>(window.get(), kIdReadParameters)->click();
        QCOMPARE(edit.presses, 1);
        QCOMPARE(edit.lastStatus, TextOf(StringId::kReadCompleted));
        QCOMPARE(edit.lastPressed, TextOf(StringId::kEdit));
        QCOMPARE(m_state.OperationCode, int(kReadParameters));
        QCOMPARE(editorExit.presses, 1);
        QCOMPARE(m_state.OperationFileName, m_folder.file("read"));
        QCOMPARE(prompts.record, QStringList{WarningQuestion(StringId::kDiscardParametersQuestion)});
    }

    // The editor saves, then the main window asks 144 and writes; the field follows the saved name.
    void editorSaveAndWriteLeadsIntoTheWriteCommand() {
        SimPort sim(kSimPort);
        ScriptedPrompts prompts;
        ModalPresser ok("torv::CComuDlg", CComuDlg::kIdOk);
        ModalPresser saveAndWrite("torv::CPeditDlg", kSaveWriteId);
        auto window = windowOnSim("edited");
        Get<QPushButton>(window.get(), kIdEditParameters)->click();
        QCOMPARE(saveAndWrite.presses, 1);
        QCOMPARE(prompts.record.last(), kAgreeOverwrite);
        QCOMPARE(ok.presses, 1);
        QCOMPARE(ok.lastStatus, TextOf(StringId::kWriteCompleted));
        QCOMPARE(m_state.OperationCode, int(kWriteParameters));
        QCOMPARE(Get<QLineEdit>(window.get(), kIdParameterName)->selectedText(), QStringLiteral("edited"));
    }

    void writeParametersAsksFirstAndNoDoesNothing() {
        ScriptedPrompts prompts(false);
        ModalPresser ok("torv::CComuDlg", CComuDlg::kIdOk);
        m_state.OperationCode = kNoOperation;
        CDataLoaderDlg window(m_state, m_folder.file("x.ini"));
        Get<QPushButton>(&window, kIdWriteParameters)->click();
        QCOMPARE(prompts.record, QStringList{kAgreeOverwrite});
        QCOMPARE(m_state.OperationCode, int(kNoOperation));
        QCOMPARE(ok.presses, 0);
    }

    // The write moves the sensor to the rate its file names, and the baud list follows; index 6
    // (256000) is not in the list and selects nothing.
    void writeParametersMovesTheBaudListToTheSensorsRate_data() {
        QTest::addColumn<int>("rateCode");
        QTest::addColumn<int>("baudIndex");
        QTest::addColumn<QString>("listed");
        QTest::newRow("115200") << 6 << 5 << "115200";
        QTest::newRow("256000") << 7 << 6 << "";
    }
    void writeParametersMovesTheBaudListToTheSensorsRate() {
        QFETCH(int, rateCode);
        QFETCH(int, baudIndex);
        QFETCH(QString, listed);
        SimPort sim(kSimPort);
        ScriptedPrompts prompts;
        ModalPresser ok("torv::CComuDlg", CComuDlg::kIdOk);
        ParameterSet set = InitialParameterSet();
        set.common[kCommunicWord] = (set.common[kCommunicWord] & ~kCommunicMask) | rateCode << kCommunicShift;
        WriteFileBytes(m_folder.file("rate.torv"), ParameterFileBytes(set));
        auto window = windowOnSim("rate");
        Get<QPushButton>(window.get(), kIdWriteParameters)->click();
        QCOMPARE(ok.lastStatus, TextOf(StringId::kWriteCompleted));
        QCOMPARE(m_state.BaudIndex, baudIndex);
        QCOMPARE(Get<QComboBox>(window.get(), kIdBaudRate)->currentText(), listed);
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
