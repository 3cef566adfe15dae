// The main window: its COM list and keys, and the operations and editors it starts: EDIT after a read, an
// editor's "Save && Write to TORV" and the write it leads into, and what a stopped write leaves said.

#include <QCheckBox>
#include <QListWidget>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSettings>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "app/main_window_layout.h"
#include "app/preferences.h"
#include "dictionary/dic_dlg.h"
#include "dictionary/dictionary_file.h"
#include "link/com_device.h"
#include "link/frames.h"
#include "params/catalogue.h"
#include "params/parameter_file.h"
#include "params/pedit_controls.h"
#include "tests/gui/support/gui_harness.h"
#include "tests/support/judgement_log.h"
#ifndef _WIN32
#include "tests/support/mosquitto_broker.h"
#include "tests/support/plant_ca.h"
#include "tests/support/ser2net_server.h"
#endif

using namespace torv;
using namespace torv::test;

namespace {

// What the port list calls the simulated sensor's device: under wine, a terminal on the Z: drive.
#ifdef _WIN32
const QString kSensorDeviceKind = QStringLiteral("serial device");
#else
const QString kSensorDeviceKind = QStringLiteral("pseudo-terminal");
#endif

constexpr int kSimPort = 3;
constexpr int kSimBaudIndex = 4;  // 57600
constexpr int kCommunicWord = 4;  // the sensor's rate code, bits 8 to 10
constexpr int kCommunicShift = 8;
constexpr int kCommunicMask = 0x7 << kCommunicShift;
const QString kAgreeOverwrite =
    Prompt(Box::kQuestion, Caption::kWarningBang, Icon::kExclamation, StringId::kAgreeOverwriteSensor);
const QString kUnstoredNotice = QStringLiteral(
    "show Warning exclamation: The sensor now holds a partly written parameter set that it has not stored: "
    "the write stopped before its end, so no store command was sent.\n\nTo restore the sensor, write a "
    "complete file with \"Write parameters to TORV\": this file again, or one read from the sensor before "
    "the write. From the command line: torvctl -p ");

// An editor whose "Save && Write to TORV" leads into the write: its buttons, window class, field and file,
// its own overwrite question, the main window's write question, and the write that follows.
struct EditorKind {
    int editButton;
    const char* editorClass;
    int saveWrite;
    int field;
    const char* file;
    StringId editorQuestion;
    StringId writeQuestion;
    StringId completed;
    int code;
};
constexpr EditorKind kParameterEditor(kIdEditParameters, "torv::CPeditDlg", kIdSaveWrite, kIdParameterName,
                                      "edited.torv", StringId::kSameFileOverwrite,
                                      StringId::kAgreeOverwriteSensor, StringId::kWriteCompleted,
                                      kWriteParameters);
constexpr EditorKind kDictionaryEditor(kIdEditDictionary, "torv::CDicDlg", CDicDlg::kIdSaveWrite,
                                       kIdDictionaryName, "edited.dic4",
                                       StringId::kOverwriteDictionaryFileQuestion,
                                       StringId::kOverwriteDictionaryQuestion,
                                       StringId::kDictionaryWriteCompleted, kWriteDictionary);

// One parameter write from the main window: the answer to "Agree to overwrite TORV setting?", torvsim's
// fault, a Cancel after the first bank, the rate code in the file, and what the window shows after it.
struct WriteCase {
    bool agree = true;
    std::string fault{};
    bool cancel = false;
    int rateCode = -1;  // -1: as in the initial set
    QString error{};    // the message after the question, if any
    bool unstored = false;
    QString status = TextOf(StringId::kWriteCompleted);  // at the press of OK; empty: no OK pressed
    int baudIndex = kSimBaudIndex;
    QString listed = QStringLiteral("57600");
};

}  // namespace

Q_DECLARE_METATYPE(EditorKind)
Q_DECLARE_METATYPE(WriteCase)

class MainWindowTest : public QObject {
    Q_OBJECT

    TempDir m_folder;
    TempDir m_preferencesFolder;
    OperationState m_state;

  private slots:
    // This test's preferences are its own, whatever other tests keep.
    void initTestCase() {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QString::fromStdString(m_preferencesFolder.path().string()));
    }
    void cleanup() { SavePreferences(Preferences{}); }

    // Every device command is a menu item; its shortcut runs it as its button would. The status bar
    // then says the port and rate, the sensor's version and how the exchange went, and the file is
    // among the recent ones.
    void menuShortcutRunsTheCommandAndTheStatusBarTellsTheOutcome() {
        SimulatedSensor sensor({"--version-chars", "0207"}, kSimPort);
        ScriptedPrompts prompts;
        ModalPresser ok("torv::CComuDlg", CComuDlg::kIdOk);
        auto window = MainWindowOn(m_state, m_folder, kSimPort, kIdParameterName, "menu");
        const auto statusText = [&window](const char* name) {
            return window->findChild<QLabel*>(QString::fromLatin1(name))->text();
        };
        QCOMPARE(statusText("statusLink"), QStringLiteral("COM%1, 57600 baud").arg(kSimPort));
        const auto pressReadKeys = [&window] {
            QVERIFY(ShowActive(*window));
            QTest::keyClick(window.get(), Qt::Key_R, Qt::ControlModifier);
        };
        pressReadKeys();
        QTRY_COMPARE(ok.presses, 1);
        QCOMPARE(ok.lastStatus, TextOf(StringId::kReadCompleted));
        QVERIFY(QRegularExpression(QStringLiteral("^last reply \\d\\d:\\d\\d:\\d\\d, ok$"))
                    .match(statusText("statusLastExchange"))
                    .hasMatch());
        QCOMPARE(statusText("statusVersion"), QStringLiteral("TORV software 0207"));
        // Again: the question before replacing the file names it in full under it.
        pressReadKeys();
        QTRY_COMPARE(ok.presses, 2);
        QCOMPARE(prompts.record, QStringList{WarningQuestion(StringId::kSameFileOverwrite)});
        QCOMPARE(prompts.details, QStringList{QString::fromStdString(m_folder.file("menu.torv"))});
        SetComPortDevicePath(kSimPort, m_folder.file("gone"));
        pressReadKeys();
        QTRY_VERIFY2(statusText("statusLastExchange").contains(TextOf(StringId::kOpenPortFailed)),
                     qPrintable(statusText("statusLastExchange")));
        QCOMPARE(LoadPreferences().recent[0], QStringList());  // kept at Exit
        prompts.answer(true);
        Get<QPushButton>(window.get(), kIdExit)->click();
        QCOMPARE(LoadPreferences().recent[0], QStringList{QString::fromStdString(m_folder.file("menu"))});
    }

    // With every write preference on: the question lists the changes (sensor's value -> file's), the
    // sensor's set is backed up into a dated file first, and the write is verified after the store.
    // A backup that cannot be read stops the write before its first word.
    void writeBacksUpListsTheChangesAndVerifies() {
        Preferences preferences;
        preferences.backupBeforeWrite = true;
        preferences.verifyAfterWrite = true;
        preferences.differencesBeforeWrite = true;
        SavePreferences(preferences);
        SimulatedSensor sensor({}, kSimPort);
        QCOMPARE(RunTorvctl({"-p", sensor.devicePath(), "params", "read", m_folder.file("before")}).exitCode,
                 0);
        const std::string before = ReadFileBytes(m_folder.file("before.torv"));
        ParameterSet set = LoadParameterFile(m_folder.file("before.torv")).set;
        set.bank[3][FindParameter("SHUTTER")->field.word] ^= 1;  // torvsim's 62 becomes 63
        WriteFileBytes(m_folder.file("new.torv"), ParameterFileBytes(set));
        ScriptedPrompts prompts;
        ModalPresser ok("torv::CComuDlg", CComuDlg::kIdOk);
        auto window = MainWindowOn(m_state, m_folder, kSimPort, kIdParameterName, "new");
        Get<QPushButton>(window.get(), kIdWriteParameters)->click();
        QCOMPARE(ok.presses, 4);  // the compare, the backup, the write, the verification
        QCOMPARE(prompts.record.first(), kAgreeOverwrite);
        QCOMPARE(prompts.details.first(), QStringLiteral("1 changes:\nBank 3: SHUTTER: 62 -> 63"));
        QVERIFY(prompts.record.last().startsWith(
            QStringLiteral("show TORV information: Verified: TORV holds every word of")));
        const auto backups = QDir(QString::fromStdString(m_folder.path().string()))
                                 .entryList({QStringLiteral("new-backup-*.torv")});
        QCOMPARE(backups.size(), 1);
        QCOMPARE(ReadFileBytes(m_folder.file(backups.first().toStdString())), before);

        // The next write's backup meets a silent sensor: nothing is written.
        SimulatedSensor silent({"--fault", "1=silence"}, kSimPort);
        preferences.differencesBeforeWrite = false;
        SavePreferences(preferences);
        prompts.record.clear();
        auto second = MainWindowOn(m_state, m_folder, kSimPort, kIdParameterName, "new");
        Get<QPushButton>(second.get(), kIdWriteParameters)->click();
        QCOMPARE(
            prompts.record.last(),
            QStringLiteral("show Warning exclamation: No backup was made, so nothing was written to TORV."));
        const std::vector<std::string> frames = silent.frames();
        QVERIFY(std::none_of(frames.begin(), frames.end(), [](const std::string& f) { return f[0] == 'W'; }));
    }

    // With a broker in the preferences, a monitor run publishes every judgement its CSV holds, in order,
    // between "online" and "offline", and the run's counts; the status bar says how the connection went.
    void monitorPublishesItsRunAndTheStatusBarSaysSo() {
#ifdef _WIN32
        QSKIP("runs mosquitto, a Linux program, beside the test: Linux tests only");
#else
        if (MosquittoBroker::ProgramPath().empty()) {
            QSKIP("mosquitto is not installed");
        }
        MosquittoBroker broker;
        MqttSubscriber watcher(broker, "plant/#");
        Preferences preferences;
        preferences.mqttUrl = QString::fromStdString(broker.url("plant"));
        preferences.mqttSensor = QStringLiteral("line-9");
        SavePreferences(preferences);
        SimulatedSensor sensor({"--pace", "0"}, kSimPort);
        ScriptedPrompts prompts;
        auto window = MainWindowOn(m_state, m_folder, kSimPort, kIdMonitorName, "published");
        Get<QCheckBox>(window.get(), kIdGeneratesCsv)->setChecked(true);
        QVERIFY(ShowActive(*window));
        const auto* status = window->findChild<QLabel*>(QStringLiteral("statusPublishing"));
        const auto* count = Get<QLabel>(window.get(), kIdJudgementCount);
        QString whileRunning;
        WhenReady pressStop(
            [&] {
                return count->text().toInt() >= 20 && status->text().startsWith(QStringLiteral("MQTT: conn"));
            },
            [&] {
                whileRunning = status->text();
                Get<QPushButton>(window.get(), kIdStopMonitor)->click();
            });
        Get<QPushButton>(window.get(), kIdStartMonitor)->click();  // returns when stopped
        QCOMPARE(whileRunning, QStringLiteral("MQTT: connected to 127.0.0.1:%1").arg(broker.port()));
        QCOMPARE(status->text(), QStringLiteral("MQTT: run published"));
        QVERIFY(prompts.record.isEmpty());

        QVERIFY(watcher.waitFor(
            [](const std::vector<ReceivedMessage>& messages) {
                return std::any_of(messages.begin(), messages.end(),
                                   [](const ReceivedMessage& m) { return m.payload == "offline"; });
            },
            10000));
        QCOMPARE(watcher.payloads("plant/line-9/status"), (std::vector<std::string>{"online", "offline"}));
        const std::vector<std::string> csv = CsvLines(m_folder.file("published.csv"));
        const std::vector<std::string> judgements = watcher.payloads("plant/line-9/judgement");
        QCOMPARE(judgements.size() * 3, csv.size());
        QCOMPARE(static_cast<int>(judgements.size()), count->text().toInt());
        for (std::size_t i = 0; i < judgements.size(); ++i) {
            const nlohmann::json message = nlohmann::json::parse(judgements[i]);
            QCOMPARE(message["sensor"], "line-9");
            QCOMPARE(message["count"], static_cast<int>(i) + 1);
            const std::string judged = message["judgement"];
            QVERIFY2(csv[3 * i].starts_with(judged + ","), csv[3 * i].c_str());
        }
        const nlohmann::json stats = nlohmann::json::parse(watcher.payloads("plant/line-9/stats").back());
        QCOMPARE(stats["judgements"], static_cast<int>(judgements.size()));
        QCOMPARE(stats["dropped"], 0);
#endif
    }

    // Each COM entry's tooltip names its device and what it is; the line under the list repeats the
    // chosen one and follows the choice.
    void comPortEntriesSayWhatTheyOpen() {
        SimulatedSensor sensor({}, 2);
        SetComPortDevicePath(3, m_folder.file("gone"));
        CDataLoaderDlg window(m_state, m_folder.file("x.ini"));
        auto* ports = Get<QComboBox>(&window, kIdComPort);
        QCOMPARE(ports->itemData(1, Qt::ToolTipRole).toString(),
                 QStringLiteral("COM2: %1, %2")
                     .arg(QString::fromStdString(sensor.devicePath()), kSensorDeviceKind));
        QCOMPARE(ports->itemData(2, Qt::ToolTipRole).toString(),
                 QStringLiteral("COM3: %1, no device").arg(QString::fromStdString(m_folder.file("gone"))));
        auto* line = window.findChild<QLabel*>(QString::fromLatin1(kPortDescriptionName));
        ports->setCurrentIndex(1);
        QCOMPARE(line->text(), ports->itemData(1, Qt::ToolTipRole).toString());
        ports->setCurrentIndex(2);
        QVERIFY(line->text().endsWith(QStringLiteral(", no device")));
        SetComPortDevicePath(3, {});
    }

    // A COM port linked to a TLS device server: the port line says it is protected, and after a read
    // through it (whose file is that of a direct read) also which server it reached.
    void tlsPortLineNamesTheServerAfterARead() {
#ifdef _WIN32
        QSKIP("runs ser2net, a Linux program, beside the test: Linux tests only");
#else
        if (!NetworkPortsAvailable() || Ser2netServer::ProgramPath().empty()) {
            QSKIP("needs network ports (libgensio) and ser2net");
        }
        PlantCa ca;
        const IssuedCertificate server = ca.issue("server", "line3-srv", "IP:127.0.0.1");
        const IssuedCertificate client = ca.issue("client", "eng-pc-07");
        TempDir tls;
        std::filesystem::copy_file(ca.caFile(), tls.file("ca.pem"));
        std::filesystem::copy_file(client.certificate, tls.file("cert.pem"));
        std::filesystem::copy_file(client.key, tls.file("key.pem"));
        std::filesystem::permissions(tls.file("key.pem"), std::filesystem::perms::owner_read);
        qputenv("TORV_TLS_DIR", QByteArray::fromStdString(tls.path().string()));
        SimulatedSensor sensor({}, kSimPort);
        QCOMPARE(RunTorvctl({"-p", sensor.devicePath(), "params", "read", m_folder.file("direct")}).exitCode,
                 0);
        const Ser2netServer served({sensor.devicePath()},
                                   {server.certificate, server.key, "eng-pc-07", ca.caFile()});
        SetComPortDevicePath(kSimPort, served.portName());
        ScriptedPrompts prompts;
        ModalPresser ok("torv::CComuDlg", CComuDlg::kIdOk);
        auto window = MainWindowOn(m_state, m_folder, kSimPort, kIdParameterName, "tls");
        QVERIFY(ShowActive(*window));
        auto* line = window->findChild<QLabel*>(QString::fromLatin1(kPortDescriptionName));
        const QString port =
            QStringLiteral("COM%1: %2, ").arg(kSimPort).arg(QString::fromStdString(served.portName()));
        QCOMPARE(line->text(), port + QStringLiteral("network port, TLS, client certificate"));
        Get<QPushButton>(window.get(), kIdReadParameters)->click();
        QCOMPARE(ok.presses, 1);
        QCOMPARE(ok.lastStatus, TextOf(StringId::kReadCompleted));
        QCOMPARE(ReadFileBytes(m_folder.file("tls.torv")), ReadFileBytes(m_folder.file("direct.torv")));
        QTRY_COMPARE(line->text(),
                     port + QStringLiteral("network port, TLS, server CN=line3-srv, client certificate"));
        qunsetenv("TORV_TLS_DIR");
        SetComPortDevicePath(kSimPort, {});
#endif
    }

    // Enter answers Yes only to a question that replaces nothing: at a question that would replace a
    // file or overwrite the sensor it answers No.
    void enterAnswersNoWhereYesReplacesSomething() {
        const std::pair<StringId, bool> questions[] = {
            {StringId::kSameFileOverwrite, false},
            {StringId::kAgreeOverwriteSensor, false},
            {StringId::kDictionaryAppendQuestion, false},
            {StringId::kOverwriteDictionaryQuestion, false},
            {StringId::kAgreeToExit, true},
        };
        QWidget owner;
        QVERIFY(ShowActive(owner));
        for (const auto& [id, enterAgrees] : questions) {
            WhenReady pressEnter([] { return VisibleWindow<QMessageBox>() != nullptr; },
                                 [] { QTest::keyClick(VisibleWindow<QMessageBox>(), Qt::Key_Return); });
            const bool agreed = Prompts().ask(&owner, Caption::kWarning, Icon::kExclamation,
                                              ToQString(Text(id)), Answer::kYes);
            QCOMPARE(agreed, enterAgrees);
        }
    }

    // Enter in a Filename field and Escape anywhere do nothing; Enter on "Exit" presses it. The close
    // box asks as "Exit" does, and closes only on Yes.
    void keysPressOnlyTheFocusedButtonAndCloseNothing() {
        ScriptedPrompts prompts(false);
        CDataLoaderDlg window(m_state, m_folder.file("x.ini"));
        QVERIFY(ShowActive(window));
        auto* field = Get<QLineEdit>(&window, kIdParameterName);
        QSignalSpy returnPressed(field, &QLineEdit::returnPressed);
        QVERIFY(KeysAndCloseBoxLeaveItOpen(window, field, {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}));
        QCOMPARE(returnPressed.count(), 0);
        for (int id : {kIdComPort, kIdExit}) {
            QVERIFY(KeysAndCloseBoxLeaveItOpen(window, Get(&window, id), {Qt::Key_Escape}));
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);  // on "Exit"
        // One question for each close box and one for Enter on "Exit", each answered No.
        QTRY_COMPARE(prompts.record, QStringList(4, Prompt(Box::kQuestion, Caption::kTorv, Icon::kQuestion,
                                                           StringId::kAgreeToExit)));
        prompts.answer(true);
        window.close();
        QVERIFY(!window.isVisible());
        QCOMPARE(window.result(), int(QDialog::Accepted));  // as "Exit" leaves it
    }

    // A larger window gives its room to the groups: the Filename fields grow wider, the monitor's
    // history taller.
    void growsWithItsLayouts() {
        CDataLoaderDlg window(m_state, m_folder.file("x.ini"));
        QVERIFY(ShowActive(window));
        auto* field = Get<QLineEdit>(&window, kIdParameterName);
        auto* history = window.findChild<QListWidget*>();
        QVERIFY(history != nullptr);
        const QSize fieldBefore = field->size();
        const QSize historyBefore = history->size();
        const QSize larger = window.size() + QSize(400, 300);
        window.resize(larger);
        QTRY_COMPARE(window.size(), larger);
        QTRY_VERIFY(field->width() > fieldBefore.width());
        QCOMPARE(field->height(), fieldBefore.height());
        QVERIFY(history->height() > historyBefore.height());
    }

    // EDIT after the read opens the editor on the file just read; leaving it with Exit writes nothing.
    void readParametersRunsOperation1AndEditOpensTheEditor() {
        SimulatedSensor sensor({}, kSimPort);
        ScriptedPrompts prompts;
        ModalPresser edit("torv::CComuDlg", CComuDlg::kIdCancel, CComuDlg::kIdOk);
        ModalPresser editorExit("torv::CPeditDlg", kIdPeditExit);
        auto window = MainWindowOn(m_state, m_folder, kSimPort, kIdParameterName, "read");
        Get<QPushButton>(window.get(), kIdReadParameters)->click();
        QCOMPARE(edit.presses, 1);
        QCOMPARE(edit.lastStatus, TextOf(StringId::kReadCompleted));
        QCOMPARE(edit.lastPressed, TextOf(StringId::kEdit));
        QCOMPARE(m_state.OperationCode, int(kReadParameters));
        QCOMPARE(editorExit.presses, 1);
        QCOMPARE(m_state.OperationFileName, m_folder.file("read"));
        QCOMPARE(prompts.record, QStringList{WarningQuestion(StringId::kDiscardParametersQuestion)});
    }

    // Six characters in the file, four appended (the append question answered Yes): EDIT opens the editor
    // on slot 7, the first of the four.
    void readRecognizedThenEditOpensTheFirstAppendedCharacter() {
        SimulatedSensor sensor({"--recognized", "A12B"}, kSimPort);
        TempDir folder;
        WriteFileBytes(folder.file("user.dic4"), DictionaryFileBytes(Letters(6)));
        ScriptedPrompts prompts;
        int selected = kNoSlot;
        prompts.whileAsking = [&] {
            if (CDicDlg* editor = VisibleWindow<CDicDlg>()) {
                selected = editor->currentSlot();
            }
        };
        ModalPresser edit("torv::CComuDlg", CComuDlg::kIdCancel, CComuDlg::kIdOk);
        ModalPresser cancel("torv::CDicDlg", CDicDlg::kIdCancel);
        auto window = MainWindowOn(m_state, folder, kSimPort, kIdDictionaryName, "user");
        Get<QPushButton>(window.get(), kIdReadRecognized)->click();
        QCOMPARE(edit.presses, 1);
        QCOMPARE(edit.lastStatus, TextOf(StringId::kRecognizedCharactersCompleted));
        QCOMPARE(m_state.AppendedCharCount, 4);
        QCOMPARE(cancel.presses, 1);
        QCOMPARE(selected, 6);
        QCOMPARE(prompts.record, (QStringList{WarningQuestion(StringId::kDictionaryAppendQuestion),
                                              WarningQuestion(StringId::kDiscardDictionaryQuestion)}));
        QCOMPARE(LoadDictionaryFile(folder.file("user.dic4")).characters.size(), 10U);
    }

    // The editor saves over its file (Yes), then the main window asks its write question: No sends
    // nothing, Yes writes.
    void editorSaveAndWriteAsksThenWrites_data() {
        QTest::addColumn<EditorKind>("kind");
        QTest::addColumn<bool>("agree");  // the answer to the write question
        QTest::newRow("parameters") << kParameterEditor << true;
        QTest::newRow("dictionary, No") << kDictionaryEditor << false;
        QTest::newRow("dictionary, Yes") << kDictionaryEditor << true;
    }
    void editorSaveAndWriteAsksThenWrites() {
        QFETCH(EditorKind, kind);
        QFETCH(bool, agree);
        SimulatedSensor sensor({}, kSimPort);
        TempDir folder;
        OperationState state;
        const bool parameters = kind.field == kIdParameterName;
        WriteFileBytes(folder.file(kind.file), parameters ? ParameterFileBytes(InitialParameterSet())
                                                          : DictionaryFileBytes(Letters(2)));
        ScriptedPrompts prompts(agree);
        prompts.answer(true);  // the editor's own overwrite question
        ModalPresser ok("torv::CComuDlg", CComuDlg::kIdOk);
        ModalPresser saveAndWrite(kind.editorClass, kind.saveWrite);
        auto window = MainWindowOn(state, folder, kSimPort, kind.field, "edited");
        Get<QPushButton>(window.get(), kind.editButton)->click();
        QCOMPARE(saveAndWrite.presses, 1);
        QCOMPARE(prompts.record, (QStringList{WarningQuestion(kind.editorQuestion),
                                              Prompt(Box::kQuestion, Caption::kWarningBang,
                                                     Icon::kExclamation, kind.writeQuestion)}));
        QCOMPARE(ok.presses, int(agree));
        QCOMPARE(state.OperationCode, agree ? kind.code : int(kNoOperation));
        const std::vector<std::string> frames = sensor.frames();
        QCOMPARE(frames.empty(), !agree);
        if (agree) {
            QCOMPARE(ok.lastStatus, TextOf(kind.completed));
            QCOMPARE(frames.back().substr(0, 2), std::string("U "));
        }
        if (parameters) {  // the parameter editor hands its saved name back
            QCOMPARE(Get<QLineEdit>(window.get(), kind.field)->selectedText(), QStringLiteral("edited"));
        }
    }

    // "Agree to overwrite TORV setting?" first (No: nothing runs). The baud list follows the rate the file
    // sets (256000 is not in it). A write that stops after its first word, before the store, leaves an
    // unstored set: the window says so and how to restore it; one that stops sooner adds nothing.
    void writeParameters_data() {
        QTest::addColumn<WriteCase>("row");
        QTest::newRow("declined") << WriteCase{.agree = false, .status = ""};
        QTest::newRow("to 115200") << WriteCase{.rateCode = 6, .baudIndex = 5, .listed = "115200"};
        QTest::newRow("to 256000") << WriteCase{.rateCode = 7, .baudIndex = 6, .listed = ""};
        QTest::newRow("no answer to the version")
            << WriteCase{.fault = "1=silence", .error = ErrorBox(StringId::kNoResponse), .status = ""};
        QTest::newRow("NAK in bank 0") << WriteCase{
            .fault = "20=nak", .error = ErrorBox(StringId::kInvalidResponse), .unstored = true, .status = ""};
        QTest::newRow("cancelled after bank 0")
            << WriteCase{.cancel = true, .unstored = true, .status = TextOf(StringId::kAborted)};
    }
    void writeParameters() {
        QFETCH(WriteCase, row);
        if (row.rateCode == 7 && RunsUnderWine()) {
            QSKIP("wine sets no 256000 baud on a Linux terminal: the simulated sensor hears another rate");
        }
        SimulatedSensor sensor(FaultOption(row.fault), kSimPort);
        TempDir folder;
        OperationState state;
        ScriptedPrompts prompts(row.agree);
        ModalPresser ok("torv::CComuDlg", CComuDlg::kIdOk);
        const auto canceller = row.cancel ? CancelAfterFirstBank() : nullptr;
        ParameterSet set = InitialParameterSet();
        if (row.rateCode >= 0) {
            set.common[kCommunicWord] = (set.common[kCommunicWord] & ~kCommunicMask) | row.rateCode
                                                                                           << kCommunicShift;
        }
        WriteFileBytes(folder.file("whole.torv"), ParameterFileBytes(set));
        auto window = MainWindowOn(state, folder, kSimPort, kIdParameterName, "whole");
        Get<QPushButton>(window.get(), kIdWriteParameters)->click();
        QStringList expected{kAgreeOverwrite, row.error};
        expected.removeAll(QString());
        if (row.rateCode >= 0) {  // the window says where the sensor went
            expected << QStringLiteral(
                            "show TORV information: The sensor now talks at %1 baud; the baud rate list %2")
                            .arg(kBaudRates[static_cast<std::size_t>(row.baudIndex)])
                            .arg(row.listed.isEmpty() ? QStringLiteral("has no entry for it.")
                                                      : QStringLiteral("follows."));
        }
        if (row.unstored) {
            expected << kUnstoredNotice + QString::fromStdString(sensor.devicePath() + " params write " +
                                                                 folder.file("whole.torv"));
        }
        QCOMPARE(prompts.record, expected);
        QCOMPARE(state.OperationCode, row.agree ? int(kWriteParameters) : int(kNoOperation));
        QCOMPARE(ok.presses, int(!row.status.isEmpty()));
        QCOMPARE(ok.lastStatus, row.status);
        QCOMPARE(state.BaudIndex, row.baudIndex);
        QCOMPARE(Get<QComboBox>(window.get(), kIdBaudRate)->currentText(), row.listed);
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
