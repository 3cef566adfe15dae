// Banks in the parameter editor: typed values are clamped when the bank changes, and COPY carries the
// edited bank (and the common block on screen) over another bank.

#include <QtTest>

#include "params/parameter_file.h"
#include "tests/gui/support/pedit_harness.h"
#include "tests/support/temp_dir.h"

using namespace torv;
using namespace torv::pedit_test;

namespace {

constexpr int kOffDelayWord = 2;

void ShowBank(const QWidget* editor, int bank) {
    Combo(editor, kEditBankId)->setCurrentIndex(bank);
}

}  // namespace

class PeditBankTest : public QObject {
    Q_OBJECT
  private slots:
    void typedValueIsClampedWhenTheBankChanges_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("SHUTTER above range") << "SHUTTER"
                                             << "9999"
                                             << "132";
        QTest::newRow("SHUTTER not a number") << "SHUTTER"
                                              << "abc"
                                              << "0";
        QTest::newRow("OFFDELAY negative") << "OFFDELAY"
                                           << "-5"
                                           << "5000";
        QTest::newRow("1-DAYOFS negative in range") << "1-DAYOFS"
                                                    << "-5"
                                                    << "-5";
        QTest::newRow("1-DAYOFS below range") << "1-DAYOFS"
                                              << "-1200"
                                              << "-999";
        QTest::newRow("1-DAY\u00b1 above range") << "1-DAY\u00b1"
                                                 << "2000"
                                                 << "0";
        QTest::newRow("STRING too long") << "STRING"
                                         << "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123"
                                         << "ABCDEFGHIJKLMNOPQRSTUV";
    }
    void typedValueIsClampedWhenTheBankChanges() {
        QFETCH(QString, key);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        OperationState state;
        PeditPrompts prompts;
        auto editor = OpenEditor(state);
        const std::string parameter = key.toStdString();
        Type(editor.get(), parameter, typed);
        ShowBank(editor.get(), 1);
        ShowBank(editor.get(), 0);
        QCOMPARE(ShownValue(editor.get(), parameter), shown);
    }

    void copyCarriesTheEditedBankAndLeavesTheDestinationOnShow() {
        test::TempDir dir;
        OperationState state = StateFor(dir.file("param"));
        PeditPrompts prompts;
        auto editor = OpenEditor(state);  // initial set, bank 0
        ShowBank(editor.get(), 3);
        Type(editor.get(), "SHUTTER", "77");
        Type(editor.get(), "STRING", "LOT");
        Type(editor.get(), "OFFDELAY", "250");
        Combo(editor.get(), kDestinationBankId)->setCurrentIndex(7);
        prompts.answer(true);
        Button(editor.get(), kCopyBankId)->click();
        QCOMPARE(Combo(editor.get(), kEditBankId)->currentIndex(), 7);
        QCOMPARE(ShownValue(editor.get(), "SHUTTER"), QStringLiteral("77"));
        QCOMPARE(ShownValue(editor.get(), "STRING"), QStringLiteral("LOT"));

        Button(editor.get(), kCopyBankId)->click();  // the destination still names bank 7
        QCOMPARE(prompts.records.size(), 3u);        // 177 at opening, 178, then 179
        QVERIFY(Is(prompts.records[1], true, Caption::kWarning, Icon::kExclamation,
                   StringId::kOverwriteBankQuestion));
        QVERIFY(Is(prompts.records[2], false, Caption::kError, Icon::kStop, StringId::kSameBankCopy));

        Button(editor.get(), kSaveExitId)->click();
        const ParameterSet saved = LoadParameterFile(state.OperationFileName + ".torv").set;
        QCOMPARE(saved.bank[7], saved.bank[3]);
        QVERIFY(saved.bank[3] != InitialParameterSet().bank[3]);
        QCOMPARE(saved.bank[2], InitialParameterSet().bank[2]);
        QCOMPARE(saved.common[kOffDelayWord], 250);
    }

    void copyWithoutDestinationOrDeclinedCopiesNothing() {
        OperationState state;
        PeditPrompts prompts;
        auto editor = OpenEditor(state);
        Type(editor.get(), "SHUTTER", "77");
        Button(editor.get(), kCopyBankId)->click();
        Combo(editor.get(), kDestinationBankId)->setCurrentIndex(5);
        prompts.answer(false);
        Button(editor.get(), kCopyBankId)->click();
        QCOMPARE(prompts.records.size(), 3u);
        QVERIFY(
            Is(prompts.records[1], false, Caption::kError, Icon::kStop, StringId::kSelectDestinationBank));
        QVERIFY(Is(prompts.records[2], true, Caption::kWarning, Icon::kExclamation,
                   StringId::kOverwriteBankQuestion));
        QCOMPARE(Combo(editor.get(), kEditBankId)->currentIndex(), 0);
        QCOMPARE(ShownValue(editor.get(), "SHUTTER"), QStringLiteral("77"));
        ShowBank(editor.get(), 5);
        QCOMPARE(ShownValue(editor.get(), "SHUTTER"), QStringLiteral("70"));
    }
};

QTEST_MAIN(PeditBankTest)
#include "pedit_bank_test.moc"
