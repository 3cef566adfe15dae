// Banks in the parameter editor: typed values are clamped when the bank changes, and COPY carries the
// edited bank (and the common block on screen) over another bank.

#include <QtTest>

#include "params/parameter_file.h"
#include "tests/gui/support/pedit_harness.h"
#include "tests/support/temp_dir.h"

using namespace torv;
using namespace torv::pedit_test;

class PeditBankTest : public QObject {
    Q_OBJECT
  private slots:
    void typedValueIsClampedWhenTheBankChanges_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("SHUTTER") << "SHUTTER"
                                 << "9999"
                                 << "132";
        QTest::newRow("common OFFDELAY") << "OFFDELAY"
                                         << "-5"
                                         << "5000";
        QTest::newRow("1-DAYOFS") << "1-DAYOFS"
                                  << "-5"
                                  << "-5";
        QTest::newRow("STRING") << "STRING"
                                << "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                << "ABCDEFGHIJKLMNOPQRSTUV";
    }
    void typedValueIsClampedWhenTheBankChanges() {
        QFETCH(QString, key);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        OperationState state;
        PeditPrompts prompts;
        auto editor = OpenEditor(state);
        Type(editor.get(), key.toStdString(), typed);
        FindControl<QComboBox>(editor.get(), kEditBankId)->setCurrentIndex(1);
        FindControl<QComboBox>(editor.get(), kEditBankId)->setCurrentIndex(0);
        QCOMPARE(ShownValue(editor.get(), key.toStdString()), shown);
    }

    void copyCarriesTheEditedBankAndLeavesTheDestinationOnShow() {
        test::TempDir dir;
        OperationState state = StateFor(dir.file("param"));
        PeditPrompts prompts;
        auto editor = OpenEditor(state);  // initial set, after warning 177
        FindControl<QComboBox>(editor.get(), kEditBankId)->setCurrentIndex(3);
        Type(editor.get(), "SHUTTER", "77");
        Type(editor.get(), "OFFDELAY", "250");
        FindControl<QComboBox>(editor.get(), kDestinationBankId)->setCurrentIndex(7);
        prompts.answer(true);
        FindControl<QPushButton>(editor.get(), kCopyBankId)->click();
        QCOMPARE(FindControl<QComboBox>(editor.get(), kEditBankId)->currentIndex(), 7);
        QCOMPARE(ShownValue(editor.get(), "SHUTTER"), QStringLiteral("77"));

        FindControl<QPushButton>(editor.get(), kCopyBankId)->click();  // the destination still names bank 7
        QCOMPARE(prompts.records.size(), 3u);
        QVERIFY(Is(prompts.records[1], true, Caption::kWarning, Icon::kExclamation,
                   StringId::kOverwriteBankQuestion));
        QVERIFY(Is(prompts.records[2], false, Caption::kError, Icon::kStop, StringId::kSameBankCopy));

        FindControl<QPushButton>(editor.get(), kSaveExitId)->click();
        const ParameterSet saved = LoadParameterFile(state.OperationFileName + ".torv").set;
        QCOMPARE(saved.bank[3][1] & 0xFF, 77);
        QCOMPARE(saved.bank[7], saved.bank[3]);
        QCOMPARE(saved.bank[2], InitialParameterSet().bank[2]);
        QCOMPARE(saved.common[2], 250);  // OFFDELAY
    }
};

QTEST_MAIN(PeditBankTest)
#include "pedit_bank_test.moc"
