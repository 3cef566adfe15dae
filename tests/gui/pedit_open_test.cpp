// Opening the parameter editor: which set and which bank it shows, what it warns about, and how it
// presents its controls and its file name.

#include <QLabel>
#include <QtTest>

#include "params/catalogue.h"
#include "params/parameter_file.h"
#include "tests/gui/support/pedit_harness.h"
#include "tests/support/temp_dir.h"

using namespace torv;
using namespace torv::pedit_test;

namespace {

constexpr int kBankWordShutter = 1;
constexpr int kBankFieldMask = 0x1F;

// The initial set with a SHUTTER of 10 + b in bank b, so the value on screen names the bank shown.
ParameterSet SetWithBankSelection(int bankSelection) {
    ParameterSet set = InitialParameterSet();
    set.common[0] = (set.common[0] & ~kBankFieldMask) | bankSelection;
    for (int b = 0; b < kBankCount; ++b) {
        set.bank[static_cast<std::size_t>(b)][kBankWordShutter] = 3840 + 10 + b;  // EXTLGTPW "100%"
    }
    return set;
}

}  // namespace

class PeditOpenTest : public QObject {
    Q_OBJECT
  private slots:
    void missingOrBrokenFileWarnsAndShowsInitialSetOnBankZero_data() {
        QTest::addColumn<bool>("broken");
        QTest::newRow("missing") << false;
        QTest::newRow("ends one word short") << true;
    }
    void missingOrBrokenFileWarnsAndShowsInitialSetOnBankZero() {
        QFETCH(bool, broken);
        test::TempDir dir;
        OperationState state = StateFor(dir.file("param"));
        state.EditRequest = true;
        if (broken) {
            std::string bytes = ParameterFileBytes(SetWithBankSelection(5));
            bytes.erase(bytes.rfind("\r\n", bytes.size() - 3) + 2);  // drop bank 15's last word
            test::WriteFileBytes(state.OperationFileName + ".torv", bytes);
        }
        PeditPrompts prompts;
        auto editor = OpenEditor(state);
        QCOMPARE(prompts.records.size(), 1u);
        const StringId warning =
            broken ? StringId::kParameterFileInvalid : StringId::kParameterFileMissingUseInitial;
        QVERIFY(Is(prompts.records[0], false, Caption::kWarning, Icon::kExclamation, warning));
        QCOMPARE(Combo(editor.get(), kEditBankId)->currentIndex(), 0);
        QCOMPARE(ShownValue(editor.get(), "BANK"), QStringLiteral("BKIN"));
        QCOMPARE(ShownValue(editor.get(), "SHUTTER"), QStringLiteral("70"));
        QCOMPARE(ShownValue(editor.get(), "CHRSPACE"), QStringLiteral("x4.0"));
        QVERIFY(!state.EditRequest);
    }

    void opensOnTheBankThatBankSelects_data() {
        QTest::addColumn<int>("selection");
        QTest::addColumn<int>("bankOnShow");
        QTest::newRow("bank 5") << 5 << 5;
        QTest::newRow("bank 15") << 15 << 15;
        QTest::newRow("TCH") << 16 << 0;
        QTest::newRow("BKIN") << 17 << 0;
        QTest::newRow("beyond the list") << 31 << 0;
    }
    void opensOnTheBankThatBankSelects() {
        QFETCH(int, selection);
        QFETCH(int, bankOnShow);
        test::TempDir dir;
        OperationState state = StateFor(dir.file("param"));
        WriteParameterFile(state.OperationFileName, SetWithBankSelection(selection));
        PeditPrompts prompts;
        auto editor = OpenEditor(state);
        QVERIFY(prompts.records.empty());
        QCOMPARE(Combo(editor.get(), kEditBankId)->currentIndex(), bankOnShow);
        QCOMPARE(ShownValue(editor.get(), "SHUTTER"), QString::number(10 + bankOnShow));
    }

    void writeFilenameSelectsTheFileNamePart_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("selected");
        QTest::newRow("bare name") << "param"
                                   << "param";
        QTest::newRow("slash") << "work/sub/param"
                               << "param";
        QTest::newRow("backslash") << "C:\\work\\param"
                                   << "param";
        QTest::newRow("mixed, last wins") << "a\\b/c\\param"
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
        QCOMPARE(Edit(editor.get(), kWriteFilenameId)->text(), name);
        QCOMPARE(Edit(editor.get(), kWriteFilenameId)->selectedText(), selected);
    }

    void everyCatalogueRowHasItsLabelledControl() {
        OperationState state;
        PeditPrompts prompts;
        auto editor = OpenEditor(state);
        QCOMPARE(editor->windowTitle(), QStringLiteral("Edit parameters"));
        for (const ParameterRow& row : kParameterCatalogue) {
            QWidget* control = FindControl(editor.get(), row.editor.controlId);
            QVERIFY2(control != nullptr, std::string(row.key).c_str());
            auto* combo = qobject_cast<QComboBox*>(control);
            QCOMPARE(combo != nullptr, row.kind == ParameterKind::kList);
            for (std::size_t i = 0; combo != nullptr && i < row.list.size(); ++i) {
                QCOMPARE(combo->itemText(static_cast<int>(i)), ToQString(row.list[i]));
            }
            QVERIFY(combo == nullptr || (!combo->isEditable() && combo->count() == int(row.list.size())));
            const auto labels = editor->findChildren<QLabel*>();
            QVERIFY(std::any_of(labels.begin(), labels.end(), [&](QLabel* label) {
                return label->buddy() == control && label->text().toStdString() == EditorLabel(row);
            }));
        }
        QCOMPARE(Combo(editor.get(), kDestinationBankId)->count(), kBankCount);
        QCOMPARE(Combo(editor.get(), kDestinationBankId)->currentIndex(), -1);
        QCOMPARE(Button(editor.get(), kSaveExitId)->text(), QStringLiteral("Save && Exit"));
    }

    void windowSystemAndEscapeCannotCloseIt() {
        OperationState state;
        PeditPrompts prompts;
        auto editor = OpenEditor(state);
        QVERIFY(!(editor->windowFlags() & Qt::WindowCloseButtonHint));
        QVERIFY(!editor->close());
        QTest::keyClick(ParameterControl(editor.get(), "SHUTTER"), Qt::Key_Escape);
        QCoreApplication::processEvents();
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
        Button(editor.get(), kSaveExitId)->click();
        QCOMPARE(LoadParameterFile(state.OperationFileName + ".torv").set.bank[0][24], 0xD1 | 'u' << 8);
    }
};

QTEST_MAIN(PeditOpenTest)
#include "pedit_open_test.moc"
