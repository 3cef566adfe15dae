// The main window: what is not wired yet, the operations and editor it starts, and its keys: Enter
// presses the focused button and nothing else, Escape closes nothing.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include "app/data_loader_dlg.h"
#include "app/main_window_ids.h"
#include "app/main_window_layout.h"
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
const QString kUnstoredNotice = QStringLiteral(
    "show Warning exclamation: The sensor now holds a partly written parameter set that it has not stored");
constexpr int kProgressAfterFirstBank = 60;

// Presses Cancel in the next transfer dialog as soon as its first bank shows done.
class CancelAfterFirstBank : public QObject {
  public:
    CancelAfterFirstBank() {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            for (QWidget* window : QApplication::topLevelWidgets()) {
                if (auto* dialog = qobject_cast<CComuDlg*>(window);
                    dialog != nullptr && dialog->isVisible()) {
                    watch(dialog);
                }
            }
        });
        m_timer.start(5);
    }

  private:
    void watch(CComuDlg* dialog) {
        m_timer.stop();
        auto* cancel = Get<QPushButton>(dialog, CComuDlg::kIdCancel);
        connect(Get<QProgressBar>(dialog, CComuDlg::kIdProgress), &QProgressBar::valueChanged, cancel,
                [cancel](int value) {
                    if (value == kProgressAfterFirstBank) {
                        QMetaObject::invokeMethod(cancel, &QPushButton::click, Qt::QueuedConnection);
                    }
                });
    }
    QTimer m_timer;
};

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
    // Each COM entry's tooltip names its device and what it is; the line under the list repeats the
    // chosen one and follows the choice.
    void comPortEntriesSayWhatTheyOpen() {
        SimPort sim(2);
        SetComPortDevicePath(3, m_folder.file("gone"));
        CDataLoaderDlg window(m_state, m_folder.file("x.ini"));
        auto* ports = Get<QComboBox>(&window, kIdComPort);
        const QString simDevice = QString::fromStdString(sim.sim.devicePath());
        QCOMPARE(ports->itemData(1, Qt::ToolTipRole).toString(),
                 QStringLiteral("COM2: %1, pseudo-terminal").arg(simDevice));
        QCOMPARE(ports->itemData(2, Qt::ToolTipRole).toString(),
                 QStringLiteral("COM3: %1, no device").arg(QString::fromStdString(m_folder.file("gone"))));
        auto* line = window.findChild<QLabel*>(QString::fromLatin1(kPortDescriptionName));
        ports->setCurrentIndex(1);
        QCOMPARE(line->text(), ports->itemData(1, Qt::ToolTipRole).toString());
        ports->setCurrentIndex(2);
        QVERIFY(line->text().endsWith(QStringLiteral(", no device")));
        SetComPortDevicePath(3, {});
    }

    void onlyWiredButtonsCanBePressed() {
        CDataLoaderDlg window(m_state, m_folder.file("x.ini"));
        for (int id : {kIdStopMonitor}) {
            QVERIFY2(!Get(&window, id)->isEnabled(), qPrintable(QString::number(id)));
        }
        for (int id :
             {kIdReadParameters, kIdEditParameters, kIdWriteParameters,  kIdSetClock,       kIdExit,
              kIdParameterRef,   kIdDictionaryRef,  kIdNgDataRef,        kIdMonitorRef,     kIdReadNgData,
              kIdDisplayNgData,  kIdConvertNgData,  kIdNgDataNumber,     kIdStartMonitor,   kIdRemoteControl,
              kIdGeneratesCsv,   kIdReadRecognized, kIdReadNgCharacters, kIdReadDictionary, kIdEditDictionary,
              kIdWriteDictionary}) {
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

    // A write that stops between its first word and the store command leaves an unstored set in the
    // sensor: after the transfer dialog the window says so and how to restore it. A write that stops
    // before its first word adds nothing to its error.
    void stoppedWriteSaysTheSensorHoldsAnUnstoredSet_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<QString>("error");
        QTest::addColumn<bool>("unstored");
        QTest::newRow("no answer to the version")
            << "1=silence" << false << ErrorBox(StringId::kNoResponse) << false;
        QTest::newRow("NAK in bank 0") << "20=nak" << false << ErrorBox(StringId::kInvalidResponse) << true;
        QTest::newRow("cancelled after bank 0") << "" << true << QString() << true;
    }
    void stoppedWriteSaysTheSensorHoldsAnUnstoredSet() {
        QFETCH(QString, fault);
        QFETCH(bool, cancel);
        QFETCH(QString, error);
        QFETCH(bool, unstored);
        SimPort sim(kSimPort, fault.isEmpty() ? std::vector<std::string>{}
                                              : std::vector<std::string>{"--fault", fault.toStdString()});
        ScriptedPrompts prompts;
        ModalPresser ok("torv::CComuDlg", CComuDlg::kIdOk);
        std::unique_ptr<CancelAfterFirstBank> canceller;
        if (cancel) {
            canceller = std::make_unique<CancelAfterFirstBank>();
        }
        WriteFileBytes(m_folder.file("whole.torv"), ParameterFileBytes(InitialParameterSet()));
        auto window = windowOnSim("whole");
        Get<QPushButton>(window.get(), kIdWriteParameters)->click();
        QCOMPARE(prompts.record.first(), kAgreeOverwrite);
        QCOMPARE(prompts.record.size(), 1 + int(!error.isEmpty()) + int(unstored));
        if (!error.isEmpty()) {
            QCOMPARE(prompts.record[1], error);
        }
        QCOMPARE(prompts.record.last().startsWith(kUnstoredNotice), unstored);
        QCOMPARE(prompts.record.last().contains(QStringLiteral("\"Write parameters to TORV\"")), unstored);
        if (cancel) {
            QCOMPARE(ok.lastStatus, TextOf(StringId::kAborted));
        }
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
