// The main window: its groups and controls, what is not wired yet, and the operations it starts.

#include <QCheckBox>
#include <QGroupBox>
#include <QtTest>

#include <fstream>
#include <string>
#include <vector>

#include "app/data_loader_dlg.h"
#include "app/main_window_ids.h"
#include "link/comu_dlg.h"
#include "tests/gui/support/main_window_access.h"
#include "tests/gui/support/scripted_prompts.h"
#include "tests/gui/support/sim_port.h"
#include "tests/gui/support/transfer_dialog_driver.h"
#include "tests/support/temp_dir.h"

using namespace torv;
using namespace torv::test;

namespace {

constexpr int kSimPort = 3;
constexpr int kOperationWaitMs = 60000;
constexpr int kWordFourLine = 8;  // "Software version", version, "Common parameter", words 0..3
constexpr int kCommunicMask = 0x0700;
constexpr int kCommunicShift = 8;

struct ControlRow {
    int id;
    const char* group;  // title of the group box it sits in; "" outside the groups
    const char* caption;
};

const std::vector<ControlRow> kButtons{
    {kIdParameterRef, "Parameters", "Ref."},
    {kIdReadParameters, "Parameters", "Read parameters from TORV"},
    {kIdEditParameters, "Parameters", "Edit parameters"},
    {kIdWriteParameters, "Parameters", "Write parameters to TORV"},
    {kIdDictionaryRef, "Expansion Dictionary", "Ref."},
    {kIdReadRecognized, "Expansion Dictionary", "Read recognized char. from TORV"},
    {kIdReadNgCharacters, "Expansion Dictionary", "Read char. in NG data from TORV"},
    {kIdReadDictionary, "Expansion Dictionary", "Read exp. dctnry from TORV"},
    {kIdEditDictionary, "Expansion Dictionary", "Edit expansion dictionary"},
    {kIdWriteDictionary, "Expansion Dictionary", "Write exp. dictionary to TORV"},
    {kIdNgDataRef, "NG Data", "Ref."},
    {kIdReadNgData, "NG Data", "Read NG data with image from TORV"},
    {kIdDisplayNgData, "NG Data", "Display NG data"},
    {kIdConvertNgData, "NG Data", "Convert all NG data to CSV"},
    {kIdMonitorRef, "Monitor", "Ref."},
    {kIdStartMonitor, "Monitor", "Start Monitor"},
    {kIdStopMonitor, "Monitor", "Stop Monitor"},
    {kIdExit, "", "Exit"},
    {kIdRemoteControl, "", "TORV remote control"},
    {kIdSetClock, "", "Set the time to TORV"},
};

QString GroupOf(const QWidget* widget) {
    for (QWidget* parent = widget->parentWidget(); parent != nullptr; parent = parent->parentWidget()) {
        if (auto* group = qobject_cast<QGroupBox*>(parent)) {
            return group->title();
        }
    }
    return {};
}

QStringList Entries(const QComboBox* list) {
    QStringList entries;
    for (int i = 0; i < list->count(); ++i) {
        entries << list->itemText(i);
    }
    return entries;
}

// Sets the COMMUNIC rate code (word 4, bits 8 to 10) in a parameter file.
void SetRateCode(const std::string& path, int code) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    QVERIFY(lines.size() > kWordFourLine);
    std::string& word = lines[kWordFourLine - 1];
    const int value = (std::stoi(word) & ~kCommunicMask) | (code << kCommunicShift);
    word = std::to_string(value) + "\r";
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

    // A window whose lists point at the simulated sensor and whose parameter field names `name`.
    void pointAtSim(CDataLoaderDlg& window, const std::string& name) {
        List(&window, kIdComPort)->setCurrentIndex(kSimPort - 1);
        List(&window, kIdBaudRate)->setCurrentText(QStringLiteral("57600"));
        Field(&window, kIdParameterName)->setText(QString::fromStdString(name));
    }

  private slots:
    void windowHasItsCaptionIconAndNoCloseBox() {
        OperationState state;
        CDataLoaderDlg window(state, m_folder.file("x.ini"));
        QCOMPARE(window.windowTitle(), QStringLiteral("TORV Data Loader ver. 1.0"));
        QVERIFY(!window.windowIcon().isNull());
        QVERIFY(window.windowFlags().testFlag(Qt::CustomizeWindowHint));
        QVERIFY(!window.windowFlags().testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!window.windowFlags().testFlag(Qt::WindowSystemMenuHint));
    }

    void buttonsSitInTheirGroupsWithTheirCaptions() {
        OperationState state;
        CDataLoaderDlg window(state, m_folder.file("x.ini"));
        for (const ControlRow& row : kButtons) {
            QPushButton* button = Button(&window, row.id);
            QCOMPARE(button->text(), QString::fromLatin1(row.caption));
            QCOMPARE(GroupOf(button), QString::fromLatin1(row.group));
        }
        QCOMPARE(GroupOf(List(&window, kIdNgDataNumber)), QStringLiteral("NG data number"));
        QCOMPARE(GroupOf(FindControl(&window, kIdNgDataNumber)->parentWidget()), QStringLiteral("NG Data"));
        QCOMPARE(Control<QCheckBox>(&window, kIdGeneratesCsv)->text(), QStringLiteral("Generates CSV file"));
        for (int id : {kIdGeneratesCsv, kIdMonitorName, kIdJudgement, kIdJudgementCount, kIdBestCharacters,
                       kIdNumericalCharacters, kIdAlphabeticCharacters}) {
            QCOMPARE(GroupOf(FindControl(&window, id)), QStringLiteral("Monitor"));
        }
        for (int id : {kIdBestCharacters, kIdNumericalCharacters, kIdAlphabeticCharacters}) {
            QVERIFY(Field(&window, id)->isReadOnly());
            QVERIFY(Field(&window, id)->text().isEmpty());
        }
        for (int id : {kIdJudgement, kIdJudgementCount}) {
            QVERIFY(Control<QLabel>(&window, id)->text().isEmpty());
        }
    }

    void listsOfferTheirEntries() {
        OperationState state;
        CDataLoaderDlg window(state, m_folder.file("x.ini"));
        QCOMPARE(Entries(List(&window, kIdComPort)),
                 QStringList({"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8", "COM9"}));
        QCOMPARE(Entries(List(&window, kIdBaudRate)),
                 QStringList({"4800", "9600", "19200", "38400", "57600", "115200"}));
        QStringList numbers;
        for (int number = 1; number <= 30; ++number) {
            numbers << QString::number(number);
        }
        QCOMPARE(Entries(List(&window, kIdNgDataNumber)), numbers);
    }

    void laterFeaturesArePresentButDisabled() {
        OperationState state;
        CDataLoaderDlg window(state, m_folder.file("x.ini"));
        for (int id :
             {kIdEditParameters, kIdReadRecognized, kIdReadNgCharacters, kIdReadDictionary, kIdEditDictionary,
              kIdWriteDictionary, kIdReadNgData, kIdDisplayNgData, kIdConvertNgData, kIdGeneratesCsv,
              kIdStartMonitor, kIdStopMonitor, kIdRemoteControl}) {
            QVERIFY2(!FindControl(&window, id)->isEnabled(), qPrintable(QString::number(id)));
        }
        for (int id : {kIdReadParameters, kIdWriteParameters, kIdSetClock, kIdExit, kIdParameterRef,
                       kIdDictionaryRef, kIdNgDataRef, kIdMonitorRef}) {
            QVERIFY2(FindControl(&window, id)->isEnabled(), qPrintable(QString::number(id)));
        }
    }

    void readParametersRunsOperation1AndEditClosesTheDialog() {
        SimPort sim(kSimPort);
        ScriptedPrompts prompts;
        TransferDialogDriver driver(TransferDialogDriver::Press::kSecondButton);
        OperationState state;
        CDataLoaderDlg window(state, m_folder.file("x.ini"));
        pointAtSim(window, m_folder.file("read"));
        Button(&window, kIdReadParameters)->click();
        QCOMPARE(driver.finishedDialogs(), 1);
        QCOMPARE(driver.lastStatus(), TextOf(StringId::kReadCompleted));
        QCOMPARE(driver.lastSecondButton(), TextOf(StringId::kEdit));
        QCOMPARE(state.OperationCode, int(kReadParameters));
        QCOMPARE(state.ComPortNumber, kSimPort);
        QCOMPARE(state.BaudIndex, 4);
        QCOMPARE(state.OperationFileName, m_folder.file("read"));
        QVERIFY(state.EditRequest);
        QVERIFY(QFile::exists(QString::fromStdString(m_folder.file("read.torv"))));
        QVERIFY(prompts.records().isEmpty());
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

    void writeParametersMovesTheBaudListToTheSensorsNewRate() {
        SimPort sim(kSimPort);
        ScriptedPrompts prompts;
        TransferDialogDriver driver;
        OperationState state;
        CDataLoaderDlg window(state, m_folder.file("x.ini"));
        pointAtSim(window, m_folder.file("rate"));
        Button(&window, kIdReadParameters)->click();
        SetRateCode(m_folder.file("rate.torv"), 6);  // 115200
        Button(&window, kIdWriteParameters)->click();
        QCOMPARE(driver.finishedDialogs(), 2);
        QCOMPARE(driver.lastStatus(), TextOf(StringId::kWriteCompleted));
        QVERIFY(!driver.lastSecondButtonEnabled());
        QCOMPARE(state.BaudIndex, 5);
        QCOMPARE(List(&window, kIdBaudRate)->currentText(), QStringLiteral("115200"));
        // The sensor now answers at 115200: the clock runs at the rate the list shows.
        Button(&window, kIdSetClock)->click();
        QCOMPARE(driver.lastStatus(), TextOf(StringId::kClockCompleted));
    }

    void writeToBaudIndex6LeavesNoRateSelected() {
        SimPort sim(kSimPort);
        ScriptedPrompts prompts;
        TransferDialogDriver driver;
        OperationState state;
        CDataLoaderDlg window(state, m_folder.file("x.ini"));
        pointAtSim(window, m_folder.file("fast"));
        Button(&window, kIdReadParameters)->click();
        SetRateCode(m_folder.file("fast.torv"), 7);  // 256000, which the list does not offer
        Button(&window, kIdWriteParameters)->click();
        QCOMPARE(driver.lastStatus(), TextOf(StringId::kWriteCompleted));
        QCOMPARE(state.BaudIndex, 6);
        QCOMPARE(List(&window, kIdBaudRate)->currentIndex(), -1);
    }

    void setClockAsksThenRunsOperation8() {
        SimPort sim(kSimPort);
        ScriptedPrompts prompts;
        TransferDialogDriver driver;
        OperationState state;
        CDataLoaderDlg window(state, m_folder.file("x.ini"));
        pointAtSim(window, "unused");
        Button(&window, kIdSetClock)->click();
        QCOMPARE(prompts.records().size(), 1);
        QCOMPARE(prompts.records().first().text, TextOf(StringId::kSetClockQuestion));
        QCOMPARE(prompts.records().first().caption, Caption::kWarningBang);
        QCOMPARE(state.OperationCode, int(kSetClock));
        QCOMPARE(driver.finishedDialogs(), 1);
        QCOMPARE(driver.lastStatus(), TextOf(StringId::kClockCompleted));
        QVERIFY(!state.EditRequest);
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
