// "Create CSV file" in the parameter editor: the sheet under the "Write filename" name, what it
// holds, what the editor allows meanwhile, and what it reports.

#include <QtTest>

#include "params/parameter_sheet.h"
#include "tests/gui/support/pedit_harness.h"
#include "tests/support/temp_dir.h"

using namespace torv;
using namespace torv::pedit_test;

namespace {

constexpr int kBankOnShow = 6;
constexpr int kFirstBankField = 2;  // key, Common, then Bank0 .. Bank15

// The editor on a missing file (initial set), bank 6 on show with SHUTTER typed as 88, and
// "Write filename" naming the sheet.
struct SheetEditor {
    test::TempDir dir;
    OperationState state = StateFor(dir.file("param"));
    PeditPrompts prompts;
    std::unique_ptr<CPeditDlg> editor = OpenEditor(state);
    std::string sheetName = dir.file("sheet");

    SheetEditor() {
        prompts.records.clear();  // the warning about the missing parameter file
        FindControl<QComboBox>(editor.get(), kEditBankId)->setCurrentIndex(kBankOnShow);
        Type(editor.get(), "SHUTTER", "88");
        FindControl<QLineEdit>(editor.get(), kWriteFilenameId)->setText(QString::fromStdString(sheetName));
    }
    void createCsv() { FindControl<QPushButton>(editor.get(), kCreateCsvId)->click(); }
};

QStringList SheetRow(const std::string& sheet, const QString& key) {
    for (const QString& line : QString::fromLatin1(sheet).split(QStringLiteral("\r\n"))) {
        if (line.startsWith(key + QLatin1Char(','))) {
            return line.split(QLatin1Char(','));
        }
    }
    return {};
}

}  // namespace

class PeditSheetTest : public QObject {
    Q_OBJECT
  private slots:
    void sheetIsWrittenUnderWriteFilenameWithTheEditsOnShow() {
        SheetEditor open;
        open.createCsv();
        QCOMPARE(open.prompts.records.size(), 1u);
        QVERIFY(Is(open.prompts.records[0], false, Caption::kTorv, Icon::kInformation,
                   StringId::kSheetCompleted));

        const std::string sheet = test::ReadFileBytes(open.sheetName + ".csv");
        QCOMPARE(std::count(sheet.begin(), sheet.end(), '\n'), std::ptrdiff_t{kSheetLineCount});
        QCOMPARE(std::count(sheet.begin(), sheet.end(), '\r'), std::ptrdiff_t{kSheetLineCount});
        QVERIFY(
            sheet.starts_with(std::string(Text(StringId::kSheetHeader)) + "\r\nSETUP FLOW\r\nBANK,BKIN\r\n"));
        const QStringList shutter = SheetRow(sheet, QStringLiteral("SHUTTER"));
        QCOMPARE(shutter.size(), kFirstBankField + kBankCount);
        QCOMPARE(shutter[1], QString());
        QCOMPARE(shutter[kFirstBankField + kBankOnShow], QStringLiteral("88"));
        QCOMPARE(shutter[kFirstBankField + kBankOnShow + 1], QStringLiteral("70"));

        QCOMPARE(FindControl<QComboBox>(open.editor.get(), kEditBankId)->currentIndex(), kBankOnShow);
        QCOMPARE(ShownValue(open.editor.get(), "SHUTTER"), QStringLiteral("88"));
        open.prompts.answer(true);
        FindControl<QPushButton>(open.editor.get(), kExitId)
            ->click();  // the sheet's name stays current after Exit
        QCOMPARE(open.state.OperationFileName, open.sheetName);
    }

    void declinedOverwriteWritesAndShowsNothingAndOnlySaveAndWriteStayedEnabled() {
        SheetEditor open;
        test::WriteFileBytes(open.sheetName + ".csv", "old\r\n");
        QList<int> enabledWhileAsking;
        open.prompts.whileAsking = [&] {
            for (int id : {kEditBankId, kDestinationBankId, kCopyBankId, kWriteFilenameId, kCreateCsvId,
                           kSaveExitId, kExitId, kSaveWriteId}) {
                if (FindControl(open.editor.get(), id)->isEnabled()) {
                    enabledWhileAsking.append(id);
                }
            }
            if (ParameterControl(open.editor.get(), "BANK")->isEnabled()) {
                enabledWhileAsking.append(0);
            }
        };
        open.createCsv();  // answered No
        QCOMPARE(enabledWhileAsking, QList<int>{kSaveWriteId});
        QCOMPARE(open.prompts.records.size(), 1u);
        QVERIFY(Is(open.prompts.records[0], true, Caption::kWarning, Icon::kExclamation,
                   StringId::kSameFileOverwrite));
        QCOMPARE(test::ReadFileBytes(open.sheetName + ".csv"), std::string("old\r\n"));
        QVERIFY(FindControl<QPushButton>(open.editor.get(), kCreateCsvId)->isEnabled());
        QVERIFY(ParameterControl(open.editor.get(), "BANK")->isEnabled());
    }
};

QTEST_MAIN(PeditSheetTest)
#include "pedit_sheet_test.moc"
