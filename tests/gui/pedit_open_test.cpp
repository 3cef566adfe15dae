// Opening the parameter editor: which set and bank it shows, what it warns about, its file name field,
// and that only its buttons close it.

#include <QtTest>

#include "params/parameter_file.h"
#include "tests/gui/support/pedit_harness.h"
#include "tests/support/temp_dir.h"

using namespace torv;
using namespace torv::pedit_test;

class PeditOpenTest : public QObject {
    Q_OBJECT
  private slots:
    void unusableFileIsReportedAndInitialSetShownOnBankZero_data() {
        QTest::addColumn<bool>("broken");
        QTest::newRow("missing") << false;
        QTest::newRow("ends one word short") << true;
    }
    void unusableFileIsReportedAndInitialSetShownOnBankZero() {
        QFETCH(bool, broken);
        test::TempDir dir;
        OperationState state = StateFor(dir.file("param"));
        state.EditRequest = true;
        if (broken) {
            std::string bytes = ParameterFileBytes(SetSelectingBank(5));
            bytes.erase(bytes.rfind("\r\n", bytes.size() - 3) + 2);  // without bank 15's last word
            test::WriteFileBytes(state.OperationFileName + ".torv", bytes);
        }
        PeditPrompts prompts;
        auto editor = OpenEditor(state);
        QCOMPARE(prompts.records.size(), 1u);
        QVERIFY(Is(prompts.records[0], false, Caption::kWarning, Icon::kExclamation,
                   broken ? StringId::kParameterFileInvalid : StringId::kParameterFileMissingUseInitial));
        QCOMPARE(FindControl<QComboBox>(editor.get(), kEditBankId)->currentIndex(), 0);
        QCOMPARE(ShownValue(editor.get(), "BANK"), QStringLiteral("BKIN"));
        QCOMPARE(ShownValue(editor.get(), "SHUTTER"), QStringLiteral("70"));
        QVERIFY(!state.EditRequest);
    }

    void opensOnTheBankThatBankSelects_data() {
        QTest::addColumn<int>("selection");
        QTest::addColumn<int>("bankOnShow");
        QTest::newRow("5") << 5 << 5;
        QTest::newRow("15") << 15 << 15;
        QTest::newRow("TCH") << 16 << 0;
        QTest::newRow("beyond the list") << 31 << 0;
    }
    void opensOnTheBankThatBankSelects() {
        QFETCH(int, selection);
        QFETCH(int, bankOnShow);
        test::TempDir dir;
        OperationState state = StateFor(dir.file("param"));
        WriteParameterFile(state.OperationFileName, SetSelectingBank(selection));
        PeditPrompts prompts;
        auto editor = OpenEditor(state);
        QVERIFY(prompts.records.empty());
        QCOMPARE(FindControl<QComboBox>(editor.get(), kEditBankId)->currentIndex(), bankOnShow);
        QCOMPARE(ShownValue(editor.get(), "SHUTTER"), QString::number(10 + bankOnShow));
        QCOMPARE(FindControl<QComboBox>(editor.get(), kDestinationBankId)->currentIndex(), -1);
    }

    void writeFilenameSelectsTheFileNamePart_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("selected");
        QTest::newRow("bare") << "param"
                              << "param";
        QTest::newRow("last separator wins") << "C:\\a/b\\param"
                                             << "param";
        QTest::newRow("folder only") << "work/"
                                     << "";
    }
    void writeFilenameSelectsTheFileNamePart() {
        QFETCH(QString, name);
        QFETCH(QString, selected);
        OperationState state = StateFor(name.toStdString());
        PeditPrompts prompts;
        auto editor = OpenEditor(state);
        QCOMPARE(FindControl<QLineEdit>(editor.get(), kWriteFilenameId)->text(), name);
        QCOMPARE(FindControl<QLineEdit>(editor.get(), kWriteFilenameId)->selectedText(), selected);
    }

    void neitherWindowSystemNorEscapeClosesIt() {
        OperationState state;
        PeditPrompts prompts;
        auto editor = OpenEditor(state);
        QVERIFY(!(editor->windowFlags() & Qt::WindowCloseButtonHint));
        QVERIFY(!editor->close());
        QTest::keyClick(ParameterControl(editor.get(), "SHUTTER"), Qt::Key_Escape);
        QVERIFY(editor->isVisible());
    }

    // The STRING holds 8-bit codes: shown and stored as Latin-1, one byte a character.
    void stringKeepsEightBitCodes() {
        test::TempDir dir;
        OperationState state = StateFor(dir.file("param"));
        ParameterSet set = InitialParameterSet();
        set.bank[0][24] = 'C' | 'a' << 8;
        set.bank[0][25] = 'f' | 0xE9 << 8;
        WriteParameterFile(state.OperationFileName, set);
        PeditPrompts prompts;
        auto editor = OpenEditor(state);
        QCOMPARE(ShownValue(editor.get(), "STRING"), QStringLiteral("Caf\u00e9"));
        Type(editor.get(), "STRING", QStringLiteral("\u00d1u"));
        prompts.answer(true);  // overwrite
        FindControl<QPushButton>(editor.get(), kSaveExitId)->click();
        QCOMPARE(LoadParameterFile(state.OperationFileName + ".torv").set.bank[0][24], 0xD1 | 'u' << 8);
    }
};

QTEST_MAIN(PeditOpenTest)
#include "pedit_open_test.moc"
