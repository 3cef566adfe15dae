// The "Ref." buttons: the filters they offer, the extension they take off the chosen file, and where
// the name lands.

#include <QtTest>

#include "app/data_loader_dlg.h"
#include "app/main_window_ids.h"
#include "tests/gui/support/main_window_access.h"
#include "tests/gui/support/scripted_prompts.h"
#include "tests/support/temp_dir.h"

using namespace torv;
using namespace torv::test;

class RefButtonsTest : public QObject {
    Q_OBJECT

  private:
    TempDir m_folder;
    OperationState m_state;

  private slots:
    void chosenFileLandsInItsFieldWithoutTheToolsExtension_data() {
        QTest::addColumn<int>("buttonId");
        QTest::addColumn<int>("fieldId");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("selected");
        const int parameters[] = {kIdParameterRef, kIdParameterName};
        const int ng[] = {kIdNgDataRef, kIdNgDataName};
        const auto row = [](const char* name, const int(&ids)[2]) -> QTestData& {
            return QTest::newRow(name) << ids[0] << ids[1];
        };
        row("windows path", parameters) << "C:\\data\\bank.torv"
                                        << "C:\\data\\bank"
                                        << "bank";
        row("upper case kept", parameters) << "C:\\data\\BANK.TORV"
                                           << "C:\\data\\BANK.TORV"
                                           << "BANK.TORV";
        row("posix path", parameters) << "/data/bank.torv"
                                      << "/data/bank"
                                      << "bank";
        row("one extension only", parameters) << "/d/a.torv.torv"
                                              << "/d/a.torv"
                                              << "a.torv";
        row("no folder", parameters) << "bank.torv"
                                     << "bank"
                                     << "bank";
        row("ng data file", ng) << "/ng/n01.ng4"
                                << "/ng/n01"
                                << "n01";
        row("ng screen", ng) << "/ng/n 01.bmp"
                             << "/ng/n 01"
                             << "n 01";
        row("ng csv", ng) << "C:\\ng\\all.csv"
                          << "C:\\ng\\all"
                          << "all";
        row("ng upper case kept", ng) << "/ng/N.BMP"
                                      << "/ng/N.BMP"
                                      << "N.BMP";
        QTest::newRow("monitor") << int(kIdMonitorRef) << int(kIdMonitorName) << "C:\\log\\result.csv"
                                 << "C:\\log\\result"
                                 << "result";
        QTest::newRow("dictionary keeps .torv")
            << int(kIdDictionaryRef) << int(kIdDictionaryName) << "/d/chars.torv"
            << "/d/chars.torv"
            << "chars.torv";
        QTest::newRow("dictionary") << int(kIdDictionaryRef) << int(kIdDictionaryName) << "/d/chars.dic4"
                                    << "/d/chars"
                                    << "chars";
    }
    void chosenFileLandsInItsFieldWithoutTheToolsExtension() {
        QFETCH(int, buttonId);
        QFETCH(int, fieldId);
        QFETCH(QString, chosen);
        QFETCH(QString, field);
        QFETCH(QString, selected);
        ScriptedPrompts prompts;
        prompts.chooseFile(chosen);
        CDataLoaderDlg window(m_state, m_folder.file("x.ini"));
        Button(&window, buttonId)->click();
        QLineEdit* edit = Field(&window, fieldId);
        QCOMPARE(edit->text(), field);
        QCOMPARE(edit->selectedText(), selected);
        int untouched = 0;
        for (int other : {kIdParameterName, kIdMonitorName, kIdDictionaryName, kIdNgDataName}) {
            untouched += Field(&window, other)->text() == TextOf(StringId::kSpecifyFileName) ? 1 : 0;
        }
        QCOMPARE(untouched, 3);
    }

    void cancelLeavesTheField() {
        ScriptedPrompts prompts;
        CDataLoaderDlg window(m_state, m_folder.file("x.ini"));
        Field(&window, kIdNgDataName)->setText(QStringLiteral("/ng/kept"));
        Button(&window, kIdNgDataRef)->click();
        QCOMPARE(prompts.records().size(), 1);
        QCOMPARE(prompts.records().first().kind, PromptRecord::kFileChooser);
        QCOMPARE(Field(&window, kIdNgDataName)->text(), QStringLiteral("/ng/kept"));
    }

    // Qt reads the patterns from the last parentheses of an entry; "*.*" stands for every file.
    void choosersOfferTheirFilters_data() {
        QTest::addColumn<int>("buttonId");
        QTest::addColumn<QStringList>("filters");
        const QString all = QStringLiteral("All files(*.*) (*)");
        QTest::newRow("parameter") << int(kIdParameterRef)
                                   << QStringList{"TORV Parameter files ( *.torv )", all};
        QTest::newRow("monitor") << int(kIdMonitorRef)
                                 << QStringList{"TORV Monitor result files ( *.csv )", all};
        QTest::newRow("dictionary") << int(kIdDictionaryRef)
                                    << QStringList{"TORV Dictionary files ( *.dic4 )", all};
        QTest::newRow("ng data") << int(kIdNgDataRef)
                                 << QStringList{"TORV NG data files ( *.ng4 *.bmp )",
                                                "TORV NG data file ( *.ng4 )",
                                                "TORV NG screen file ( *.bmp )", "CSV file ( *.csv )", all};
    }
    void choosersOfferTheirFilters() {
        QFETCH(int, buttonId);
        QFETCH(QStringList, filters);
        ScriptedPrompts prompts;
        CDataLoaderDlg window(m_state, m_folder.file("x.ini"));
        Button(&window, buttonId)->click();
        QCOMPARE(prompts.lastFilters(), filters);
    }
};

QTEST_MAIN(RefButtonsTest)
#include "ref_buttons_test.moc"
