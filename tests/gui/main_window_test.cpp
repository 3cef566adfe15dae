// The main window: its groups and controls, what is not wired yet, and the operations it starts.

#include <QGroupBox>
#include <QtTest>

#include <fstream>
#include <string>
#include <vector>

#include "app/data_loader_dlg.h"
#include "app/main_window_ids.h"
#include "params/pedit_controls.h"
#include "tests/gui/support/main_window_access.h"
#include "tests/gui/support/modal_presser.h"
#include "tests/gui/support/scripted_prompts.h"
#include "tests/gui/support/sim_port.h"
#include "tests/gui/support/transfer_dialog_driver.h"
#include "tests/support/temp_dir.h"

using namespace torv;
using namespace torv::test;

namespace {

constexpr int kSimPort = 3;
constexpr int kWordFourLine = 8;  // "Software version", version, "Common parameter", words 0..3
constexpr int kCommunicShift = 8;
constexpr int kCommunicMask = 0x7 << kCommunicShift;

// Buttons of features still to come: present, but they cannot be pressed.
constexpr int kNotYetWired[] = {kIdReadRecognized, kIdReadNgCharacters, kIdReadDictionary, kIdEditDictionary,
                                kIdWriteDictionary, kIdReadNgData,      kIdDisplayNgData,  kIdConvertNgData,
                                kIdStartMonitor,   kIdStopMonitor,      kIdRemoteControl};
constexpr int kWired[] = {kIdReadParameters, kIdEditParameters, kIdWriteParameters, kIdSetClock,  kIdExit,
                          kIdParameterRef,   kIdDictionaryRef,  kIdNgDataRef,       kIdMonitorRef};

QString GroupOf(const QWidget* widget) {
    for (QWidget* parent = widget->parentWidget(); parent != nullptr; parent = parent->parentWidget()) {
        if (auto* group = qobject_cast<QGroupBox*>(parent)) {
            return group->title();
        }
    }
    return {};
}

// Sets the sensor's rate code (word 4, bits 8 to 10) in a parameter file.
void SetRateCode(const std::string& path, int code) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    QVERIFY(lines.size() > kWordFourLine);
    std::string& word = lines[kWordFourLine - 1];
    word = std::to_string((std::stoi(word) & ~kCommunicMask) | (code << kCommunicShift)) + "\r";
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (const std::string& line : lines) {
        out << line << '\n';
    }
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  private:
    TempDir m_folder;

    // Points the window's lists at the simulated sensor and its parameter field at `name`.
    void pointAtSim(CDataLoaderDlg& window, const std::string& name) {
        List(&window, kIdComPort)->setCurrentIndex(kSimPort - 1);
        List(&window, kIdBaudRate)->setCurrentText(QStringLiteral("57600"));
        Field(&window, kIdParameterName)->setText(QString::fromStdString(name));
    }

  private slots:
    void onlyWiredButtonsCanBePressed() {
        OperationState state;
        CDataLoaderDlg window(state, m_folder.file("x.ini"));
        QVERIFY(!window.windowFlags().testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!window.windowFlags().testFlag(Qt::WindowSystemMenuHint));
        for (int id : kNotYetWired) {
            QVERIFY2(!Button(&window, id)->isEnabled(), qPrintable(QString::number(id)));
        }
        for (int id : kWired) {
            QVERIFY2(Button(&window, id)->isEnabled(), qPrintable(QString::number(id)));
        }
        QVERIFY(!FindControl(&window, kIdGeneratesCsv)->isEnabled());
        QCOMPARE(GroupOf(List(&window, kIdNgDataNumber)), QStringLiteral("NG data number"));
        QCOMPARE(GroupOf(FindControl(&window, kIdNgDataNumber)->parentWidget()), QStringLiteral("NG Data"));
    }

    // EDIT after the read opens the editor on the file just read; leaving it with Exit writes nothing.
    void readParametersRunsOperation1AndEditOpensTheEditor() {
        SimPort sim(kSimPort);
        ScriptedPrompts prompts;
        TransferDialogDriver driver(TransferDialogDriver::Press::kSecondButton);
        ModalPresser editorExit("torv::CPeditDlg", kExitId);
        OperationState state;
        CDataLoaderDlg window(state, m_folder.file("x.ini"));
        pointAtSim(window, m_folder.file("read"));
        Button(&window, kIdReadParameters)->click();
        QCOMPARE(driver.finishedDialogs(), 1);
        QCOMPARE(driver.lastStatus(), TextOf(StringId::kReadCompleted));
        QCOMPARE(state.OperationCode, int(kReadParameters));
        QCOMPARE(state.ComPortNumber, kSimPort);
        QCOMPARE(editorExit.presses(), 1);
        QCOMPARE(state.OperationFileName, m_folder.file("read"));
        QVERIFY(!state.EditRequest);
        QCOMPARE(prompts.countOf(StringId::kDiscardParametersQuestion), 1);
        QCOMPARE(prompts.countOf(StringId::kAgreeOverwriteSensor), 0);
    }

    // "Save && Write to TORV" in the editor saves, then the main window asks 144 and writes; the
    // field follows the name the editor saved under.
    void editorSaveAndWriteLeadsIntoTheWriteCommand() {
        SimPort sim(kSimPort);
        ScriptedPrompts prompts;
        TransferDialogDriver driver;
        ModalPresser saveAndWrite("torv::CPeditDlg", kSaveWriteId);
        OperationState state;
        CDataLoaderDlg window(state, m_folder.file("x.ini"));
        pointAtSim(window, m_folder.file("edited"));
        Button(&window, kIdEditParameters)->click();
        QCOMPARE(saveAndWrite.presses(), 1);
        QCOMPARE(prompts.countOf(StringId::kParameterFileMissingUseInitial), 1);
        QCOMPARE(prompts.countOf(StringId::kAgreeOverwriteSensor), 1);
        QCOMPARE(driver.finishedDialogs(), 1);
        QCOMPARE(driver.lastStatus(), TextOf(StringId::kWriteCompleted));
        QCOMPARE(Field(&window, kIdParameterName)->text(), QString::fromStdString(m_folder.file("edited")));
        QCOMPARE(Field(&window, kIdParameterName)->selectedText(), QStringLiteral("edited"));
    }

    void writeParametersAsksFirstAndNoDoesNothing() {
        ScriptedPrompts prompts;
        prompts.answerQuestions(false);
        TransferDialogDriver driver;
        OperationState state;
        CDataLoaderDlg window(state, m_folder.file("x.ini"));
        Button(&window, kIdWriteParameters)->click();
        QCOMPARE(prompts.records().size(), 1);
        QCOMPARE(prompts.records().first().text, TextOf(StringId::kAgreeOverwriteSensor));
        QCOMPARE(prompts.records().first().caption, Caption::kWarningBang);
        QCOMPARE(prompts.records().first().icon, Icon::kExclamation);
        QCOMPARE(state.OperationCode, int(kNoOperation));
        QCOMPARE(driver.finishedDialogs(), 0);
    }

    // The write moves the sensor to the rate its file names; the baud list follows (index 6, 256000,
    // is not in the list and selects nothing).
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
        TransferDialogDriver driver;
        OperationState state;
        CDataLoaderDlg window(state, m_folder.file("x.ini"));
        pointAtSim(window, m_folder.file("rate"));
        Button(&window, kIdReadParameters)->click();
        SetRateCode(m_folder.file("rate.torv"), rateCode);
        Button(&window, kIdWriteParameters)->click();
        QCOMPARE(driver.finishedDialogs(), 2);
        QCOMPARE(driver.lastStatus(), TextOf(StringId::kWriteCompleted));
        QVERIFY(!driver.lastSecondButtonEnabled());
        QCOMPARE(state.BaudIndex, baudIndex);
        QCOMPARE(List(&window, kIdBaudRate)->currentText(), listed);
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
