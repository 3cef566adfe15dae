// The parameter editor: the set and bank it opens on, banks and COPY, the STRING's codes, the ways
// out and the file they save, the CSV sheet, and the keys.

#include "link/frames.h"
#include "params/catalogue.h"
#include "params/parameter_file.h"
#include "params/pedit_dlg.h"
#include "tests/gui/support/gui_harness.h"

using namespace torv;
using namespace torv::test;

namespace {

constexpr std::int32_t kBankField = 0x1F;      // BANK: common word 0, bits 0..4
constexpr std::int32_t kFullExtLight = 0xF00;  // EXTLGTPW "100%" beside SHUTTER in bank word 1
constexpr std::int32_t kShutterMask = 0xFF;
constexpr int kShutterWord = 1;
constexpr int kOffDelayWord = 2;
constexpr int kStringWord = 24;
constexpr int kTch = 16;
constexpr int kSimPort = 7;
constexpr int kUnnamedCommonWord = 7;  // a word a write sends that no parameter shows

// The initial set with BANK set to `selection` and a SHUTTER of 10 + b in bank b, so that the value on
// screen tells which bank is on show.
ParameterSet SetSelectingBank(int selection) {
    ParameterSet set = InitialParameterSet();
    set.common[0] = (set.common[0] & ~kBankField) | selection;
    for (std::size_t b = 0; b < set.bank.size(); ++b) {
        set.bank[b][kShutterWord] = kFullExtLight | static_cast<std::int32_t>(10 + b);
    }
    return set;
}

// The editor, shown, on "param" in a fresh folder holding `fileBytes` (empty: no file) as its parameter
// file; questions are answered No unless an answer is queued.
struct Editor {
    explicit Editor(const std::string& fileBytes = ParameterFileBytes(InitialParameterSet())) {
        state.OperationFileName = dir.file("param");
        if (!fileBytes.empty()) {
            WriteFileBytes(dir.file("param.torv"), fileBytes);
        }
        dialog = std::make_unique<CPeditDlg>(state);
        dialog->show();
    }
    QWidget* control(std::string_view key) const {
        return Get(dialog.get(), FindParameter(key)->editor.controlId);
    }
    QString shown(std::string_view key) const {
        auto* combo = qobject_cast<QComboBox*>(control(key));
        return combo != nullptr ? combo->currentText() : qobject_cast<QLineEdit*>(control(key))->text();
    }
    void type(std::string_view key, const QString& text) const {
        qobject_cast<QLineEdit*>(control(key))->setText(text);
    }
    QComboBox* list(int id) const { return Get<QComboBox>(dialog.get(), id); }
    void writeFilename(const std::string& name) const {
        Get<QLineEdit>(dialog.get(), kIdWriteFilename)->setText(QString::fromStdString(name));
    }
    void click(int id) const { Get<QPushButton>(dialog.get(), id)->click(); }

    TempDir dir;
    OperationState state;
    ScriptedPrompts prompts{false};
    std::unique_ptr<CPeditDlg> dialog;
};

}  // namespace

class PeditTest : public QObject {
    Q_OBJECT

  private slots:
    // SHUTTER is 10 + b in the file's bank b and 70 in the initial set.
    void opensOnTheBankThatBankSelectsOrWarnsAndShowsTheInitialSet_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("prompts");
        QTest::addColumn<QStringList>("shown");  // the edited bank and SHUTTER
        const QString bank5 = QString::fromStdString(ParameterFileBytes(SetSelectingBank(5)));
        const QString shortFile =
            bank5.left(bank5.lastIndexOf(QStringLiteral("\r\n"), -3) + 2);  // no last word
        const auto warning = [](StringId text) {
            return QStringList{Prompt(Box::kMessage, Caption::kWarning, Icon::kExclamation, text)};
        };
        QTest::newRow("missing") << QString() << warning(StringId::kParameterFileMissingUseInitial)
                                 << QStringList{"0", "70"};
        QTest::newRow("one word short")
            << shortFile << warning(StringId::kParameterFileInvalid) << QStringList{"0", "70"};
        QTest::newRow("BANK 5") << bank5 << QStringList() << QStringList{"5", "15"};
        QTest::newRow("TCH") << QString::fromStdString(ParameterFileBytes(SetSelectingBank(kTch)))
                             << QStringList() << QStringList{"0", "10"};
    }
    void opensOnTheBankThatBankSelectsOrWarnsAndShowsTheInitialSet() {
        QFETCH(QString, file);
        QFETCH(QStringList, prompts);
        QFETCH(QStringList, shown);
        Editor editor(file.toStdString());
        QCOMPARE(editor.prompts.record, prompts);
        QCOMPARE(
            (QStringList{QString::number(editor.list(kIdEditBank)->currentIndex()), editor.shown("SHUTTER")}),
            shown);
    }

    // A field takes only what its row can hold, says its range, and shows a clamped value at once.
    void numberFieldsTakeWhatTheirRowHoldsAndShowTheClamp_data() {
        QTest::addColumn<QStringList>("row");  // key, typed key by key, shown after leaving, tooltip
        QTest::newRow("letters and sign refused") << QStringList{"SHUTTER", "-a9x0", "90", "0 .. 132"};
        QTest::newRow("no more digits than the range") << QStringList{"SHUTTER", "12345", "123", "0 .. 132"};
        QTest::newRow("above the range") << QStringList{"SHUTTER", "200", "132", "0 .. 132"};
        QTest::newRow("a sign where it may be negative")
            << QStringList{"1-DAYOFS", "-12", "-12", "-999 .. 5000"};
        QTest::newRow("below the range") << QStringList{"1-DAYOFS", "-1000", "-999", "-999 .. 5000"};
    }
    void numberFieldsTakeWhatTheirRowHoldsAndShowTheClamp() {
        QFETCH(QStringList, row);
        Editor editor;
        QVERIFY(ShowActive(*editor.dialog));
        auto* field = qobject_cast<QLineEdit*>(editor.control(row[0].toStdString()));
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, row[1]);
        QVERIFY(field->toolTip().startsWith(row[3]));
        QTest::keyClick(field, Qt::Key_Tab);  // the operator moves on
        QCOMPARE(field->text(), row[2]);
    }

    // A value typed past its range is clamped when its bank is left.
    void copyCarriesTheEditedBankAndLeavesTheDestinationOnShow() {
        Editor editor;
        editor.list(kIdEditBank)->setCurrentIndex(3);
        editor.type("SHUTTER", QStringLiteral("9999"));
        editor.list(kIdEditBank)->setCurrentIndex(4);
        editor.list(kIdEditBank)->setCurrentIndex(3);
        QCOMPARE(editor.shown("SHUTTER"), QStringLiteral("132"));
        editor.type("SHUTTER", QStringLiteral("77"));
        editor.type("OFFDELAY", QStringLiteral("250"));
        editor.list(kIdDestinationBank)->setCurrentIndex(7);
        editor.prompts.answer(true);
        editor.click(kIdCopyBank);
        QCOMPARE(editor.list(kIdEditBank)->currentIndex(), 7);
        QCOMPARE(editor.shown("SHUTTER"), QStringLiteral("77"));
        editor.click(kIdCopyBank);  // the destination still names bank 7, now on show
        QCOMPARE(editor.prompts.record, (QStringList{WarningQuestion(StringId::kOverwriteBankQuestion),
                                                     ErrorBox(StringId::kSameBankCopy)}));
        editor.prompts.answer(true);
        editor.click(kIdSaveExit);
        const ParameterSet saved = LoadParameterFile(editor.dir.file("param.torv")).set;
        QCOMPARE(saved.bank[3][kShutterWord] & kShutterMask, 77);
        QCOMPARE(saved.bank[7], saved.bank[3]);
        QCOMPARE(saved.bank[2], InitialParameterSet().bank[2]);
        QCOMPARE(saved.common[kOffDelayWord], 250);
    }

    // The STRING holds 8-bit codes: shown and stored as Latin-1, one byte a character.
    void stringKeepsEightBitCodes() {
        ParameterSet set = InitialParameterSet();
        set.bank[0][kStringWord] = 'C' | 'a' << 8;
        set.bank[0][kStringWord + 1] = 'f' | 0xE9 << 8;
        Editor editor(ParameterFileBytes(set));
        QCOMPARE(editor.shown("STRING"), QStringLiteral("Caf\u00e9"));
        editor.type("STRING", QStringLiteral("\u00d1u"));
        editor.prompts.answer(true);  // overwrite
        editor.click(kIdSaveExit);
        QCOMPARE(LoadParameterFile(editor.dir.file("param.torv")).set.bank[0][kStringWord], 0xD1 | 'u' << 8);
    }

    // A file from a newer sensor (version "105") is saved as version "100".
    void saveUnderNewNameWritesThatFileAndLeavesTheOldOne() {
        ParameterSet set = SetSelectingBank(3);
        set.version = 105;
        const std::string old = ParameterFileBytes(set);
        Editor editor(old);
        editor.type("SHUTTER", QStringLiteral("99"));
        const std::string newName = editor.dir.file("new");
        editor.writeFilename(newName);
        editor.click(kIdSaveExit);
        QVERIFY(editor.prompts.record.isEmpty());
        QVERIFY(!editor.dialog->isVisible());
        QCOMPARE(editor.state.OperationFileName, newName);

        set.version = kDefaultParameterVersion;
        set.bank[3][kShutterWord] = (set.bank[3][kShutterWord] & ~kShutterMask) | 99;
        QCOMPARE(ReadFileBytes(newName + ".torv"), ParameterFileBytes(set));
        QCOMPARE(ReadFileBytes(editor.dir.file("param.torv")), old);
    }

    void declinedSaveAndWriteStaysOpenAndLaterExitsLeaveNoWriteRequest_data() {
        QTest::addColumn<int>("laterExit");
        QTest::newRow("Exit") << int(kIdPeditExit);
        QTest::newRow("Save & Exit") << int(kIdSaveExit);
    }
    void declinedSaveAndWriteStaysOpenAndLaterExitsLeaveNoWriteRequest() {
        QFETCH(int, laterExit);
        const std::string old = ParameterFileBytes(SetSelectingBank(3));
        Editor editor(old);
        editor.type("SHUTTER", QStringLiteral("99"));
        editor.click(kIdSaveWrite);  // overwrite answered No
        QVERIFY(editor.dialog->isVisible());
        editor.prompts.answer(true);
        editor.click(laterExit);
        QVERIFY(!editor.dialog->isVisible());
        QVERIFY(!editor.state.EditRequest);
        const bool discarded = laterExit == kIdPeditExit;
        QCOMPARE(editor.prompts.record,
                 (QStringList{WarningQuestion(StringId::kSameFileOverwrite),
                              WarningQuestion(discarded ? StringId::kDiscardParametersQuestion
                                                        : StringId::kSameFileOverwrite)}));
        QCOMPARE(ReadFileBytes(editor.dir.file("param.torv")) == old, discarded);
    }

    // A failed save loses nothing: the editor stays open on the new name.
    void failedSaveIsReportedAndKeepsTheEditorOpen() {
        Editor editor;
        const std::string unreachable = editor.dir.file("no-such-folder/new");
        editor.writeFilename(unreachable);
        editor.click(kIdSaveWrite);
        QCOMPARE(editor.prompts.record, QStringList{ErrorBox(StringId::kCreateFileFailed)});
        QVERIFY(editor.dialog->isVisible() && !editor.state.EditRequest);
        QCOMPARE(editor.state.OperationFileName, unreachable);
    }

    // The sheet holds the value typed in bank 6 before the button was pressed. The main window keeps its
    // parameter file's name, and the focus is back on the button, away from "Save && Write to TORV".
    void sheetIsWrittenUnderWriteFilenameWithTheEditsOnShow() {
        Editor editor;
        QVERIFY(QTest::qWaitForWindowActive(editor.dialog.get()));
        const std::string parameterFile = editor.state.OperationFileName;
        editor.list(kIdEditBank)->setCurrentIndex(6);
        editor.type("SHUTTER", QStringLiteral("88"));
        editor.writeFilename(editor.dir.file("sheet"));
        editor.click(kIdCreateCsv);
        QCOMPARE(editor.prompts.record, QStringList{Prompt(Box::kMessage, Caption::kTorv, Icon::kInformation,
                                                           StringId::kSheetCompleted)});
        const std::string sheet = ReadFileBytes(editor.dir.file("sheet.csv"));
        QVERIFY(sheet.find("\r\nSHUTTER,,70,70,70,70,70,70,88,70,") != std::string::npos);
        QCOMPARE(editor.shown("SHUTTER"), QStringLiteral("88"));
        QCOMPARE(editor.state.OperationFileName, parameterFile);
        QCOMPARE(QApplication::focusWidget(), Get(editor.dialog.get(), kIdCreateCsv));
    }

    void declinedSheetOverwriteWritesAndShowsNothingAndOnlySaveAndWriteStayedEnabled() {
        Editor editor;
        editor.writeFilename(editor.dir.file("sheet"));
        WriteFileBytes(editor.dir.file("sheet.csv"), "old\r\n");
        QList<int> enabledWhileAsking;
        editor.prompts.whileAsking = [&] {
            for (int id : {kIdEditBank, kIdDestinationBank, kIdCopyBank, kIdWriteFilename, kIdCreateCsv,
                           kIdSaveExit, kIdPeditExit, kIdSaveWrite}) {
                if (Get(editor.dialog.get(), id)->isEnabled()) {
                    enabledWhileAsking.append(id);
                }
            }
            if (editor.control("BANK")->isEnabled()) {
                enabledWhileAsking.append(0);
            }
        };
        editor.click(kIdCreateCsv);  // answered No
        QCOMPARE(enabledWhileAsking, QList<int>{kIdSaveWrite});
        QCOMPARE(editor.prompts.record, QStringList{WarningQuestion(StringId::kSameFileOverwrite)});
        QCOMPARE(ReadFileBytes(editor.dir.file("sheet.csv")), std::string("old\r\n"));
        QVERIFY(Get(editor.dialog.get(), kIdCreateCsv)->isEnabled() && editor.control("BANK")->isEnabled());
    }

    // "Compare with TORV..." reads the sensor through the transfer dialog and marks what it holds
    // otherwise: the field on its bank, the bank on the bank list, and, in "Show differences", a word
    // no parameter names too. The editor's file name and request stay as they were.
    void compareMarksWhatTheSensorHoldsOtherwise() {
        SimulatedSensor sensor({}, kSimPort);
        TempDir read;
        QCOMPARE(RunTorvctl({"-p", sensor.devicePath(), "params", "read", read.file("sensor")}).exitCode, 0);
        const ParameterSet sensorSet = LoadParameterFile(read.file("sensor.torv")).set;
        ParameterSet fileSet = sensorSet;
        fileSet.bank[3][kShutterWord] ^= 1;          // torvsim's SHUTTER 62 becomes 63
        fileSet.common[kUnnamedCommonWord] ^= 0x10;  // 0 becomes 16
        Editor editor(ParameterFileBytes(fileSet));
        editor.state.ComPortNumber = kSimPort;
        editor.state.BaudIndex = kDefaultBaudIndex;
        ModalPresser ok("torv::CComuDlg", CComuDlg::kIdOk);
        editor.dialog->findChild<QPushButton*>(QStringLiteral("compare"))->click();
        QCOMPARE(ok.presses, 1);
        QCOMPARE(editor.state.OperationFileName, editor.dir.file("param"));
        QVERIFY(!editor.state.EditRequest);
        for (int bank = 0; bank < kBankCount; ++bank) {
            QCOMPARE(editor.list(kIdEditBank)->itemData(bank, Qt::ToolTipRole).toString(),
                     bank == 3 ? QStringLiteral("differs from TORV") : QString());
        }
        const auto marked = [&editor](std::string_view key) {
            return editor.control(key)->property(CPeditDlg::kDiffersProperty).toBool();
        };
        QVERIFY(!marked("SHUTTER"));  // bank 0 on show
        editor.list(kIdEditBank)->setCurrentIndex(3);
        QVERIFY(marked("SHUTTER") && !marked("LUSTER") && !marked("BANK"));
        QCOMPARE(editor.control("SHUTTER")->toolTip(), QStringLiteral("TORV holds: 62"));
        editor.dialog->findChild<QPushButton*>(QStringLiteral("showDifferences"))->click();
        QCOMPARE(editor.prompts.record.last(),
                 QStringLiteral("show TORV information: 2 differences from TORV"));
        QCOMPARE(editor.prompts.details.last(),
                 QStringLiteral("Common: word 7: file 16, TORV 0\nBank 3: SHUTTER: file 63, TORV 62"));
    }

    // The rate setting names the rate each of its numbers sets (5 is 57600, as the write follows it).
    void rateListNamesTheRates() {
        Editor editor;
        auto* rates = qobject_cast<QComboBox*>(editor.control("COMMUNIC"));
        QVERIFY(rates != nullptr);
        QCOMPARE(rates->itemText(0), QStringLiteral("0 (keep the rate)"));
        QCOMPARE(rates->itemText(5), QStringLiteral("5 (57600)"));
        QCOMPARE(rates->itemText(6), QStringLiteral("6 (115200)"));
        QVERIFY(rates->toolTip().startsWith(QStringLiteral("Stored as: 0 0, 1 1")));
        // Offsets and margins say what they count; other numbers count the sensor's own steps.
        for (const auto& [key, unit] :
             {std::pair{"1-DAYOFS", "days"}, std::pair{"2-TIME±", "min"}, std::pair{"SHUTTER", ""}}) {
            const auto* label = editor.control(key)->findChild<QLabel*>(QStringLiteral("unit"));
            QCOMPARE(label != nullptr ? label->text() : QString(), QString::fromUtf8(unit));
        }
    }

    // On a small screen the sections scroll and the buttons stay in view. Neither Escape nor the window
    // system closes the editor; Enter presses only a focused button.
    void fitsTheScreenAndKeysCloseNothing() {
        Editor editor;
        QVERIFY(QTest::qWaitForWindowActive(editor.dialog.get()));
        QVERIFY(FitsTheScreenWithButtonsInView(*editor.dialog,
                                               {kIdSaveExit, kIdSaveWrite, kIdPeditExit, kIdCreateCsv}));
        QVERIFY(KeysAndCloseBoxLeaveItOpen(*editor.dialog, editor.control("SHUTTER")));
        QVERIFY(editor.prompts.record.isEmpty());
        auto* copy = Get<QPushButton>(editor.dialog.get(), kIdCopyBank);  // no destination chosen
        copy->setFocus();
        QTest::keyClick(copy, Qt::Key_Return);
        QTRY_COMPARE(editor.prompts.record, QStringList{ErrorBox(StringId::kSelectDestinationBank)});
    }
};

QTEST_MAIN(PeditTest)
#include "pedit_test.moc"
