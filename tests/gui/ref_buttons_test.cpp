// The "Ref." buttons: the filters they offer, the extension they take off the chosen file, and where
// the name lands.

#include <QtTest>

#include "app/data_loader_dlg.h"
#include "app/main_window_ids.h"
#include "app/ref_buttons.h"
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
        QTest::newRow("parameter, windows path")
            << int(kIdParameterRef) << int(kIdParameterName) << "C:\\data\\bank.torv"
            << "C:\\data\\bank";
        QTest::newRow("parameter, upper case kept")
            << int(kIdParameterRef) << int(kIdParameterName) << "C:\\data\\BANK.TORV"
            << "C:\\data\\BANK.TORV";
        QTest::newRow("parameter, posix path")
            << int(kIdParameterRef) << int(kIdParameterName) << "/data/bank.torv"
            << "/data/bank";
        QTest::newRow("parameter, other kind kept")
            << int(kIdParameterRef) << int(kIdParameterName) << "/data/bank.csv"
            << "/data/bank.csv";
        QTest::newRow("parameter, only one extension")
            << int(kIdParameterRef) << int(kIdParameterName) << "/d/a.torv.torv"
            << "/d/a.torv";
        QTest::newRow("monitor") << int(kIdMonitorRef) << int(kIdMonitorName) << "C:\\log\\result.csv"
                                 << "C:\\log\\result";
        QTest::newRow("monitor, posix") << int(kIdMonitorRef) << int(kIdMonitorName) << "/log/result.csv"
                                        << "/log/result";
        QTest::newRow("dictionary") << int(kIdDictionaryRef) << int(kIdDictionaryName) << "/d/chars.dic4"
                                    << "/d/chars";
        QTest::newRow("dictionary keeps .torv")
            << int(kIdDictionaryRef) << int(kIdDictionaryName) << "/d/chars.torv"
            << "/d/chars.torv";
        QTest::newRow("ng data file") << int(kIdNgDataRef) << int(kIdNgDataName) << "/ng/n01.ng4"
                                      << "/ng/n01";
        QTest::newRow("ng screen") << int(kIdNgDataRef) << int(kIdNgDataName) << "/ng/n01.bmp"
                                   << "/ng/n01";
        QTest::newRow("ng csv") << int(kIdNgDataRef) << int(kIdNgDataName) << "/ng/all.csv"
                                << "/ng/all";
        QTest::newRow("ng upper case kept") << int(kIdNgDataRef) << int(kIdNgDataName) << "/ng/N.BMP"
                                            << "/ng/N.BMP";
    }
    void chosenFileLandsInItsFieldWithoutTheToolsExtension() {
        QFETCH(int, buttonId);
        QFETCH(int, fieldId);
        QFETCH(QString, chosen);
        QFETCH(QString, field);
        ScriptedPrompts prompts;
        prompts.chooseFile(chosen);
        CDataLoaderDlg window(m_state, m_folder.file("x.ini"));
        const QString before = Field(&window, fieldId)->text();
        Button(&window, buttonId)->click();
        QCOMPARE(Field(&window, fieldId)->text(), field);
        // The other fields are untouched.
        for (int other : {kIdParameterName, kIdMonitorName, kIdDictionaryName, kIdNgDataName}) {
            if (other != fieldId) {
                QCOMPARE(Field(&window, other)->text(), before);
            }
        }
    }

    void fileNamePartIsSelected_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("selected");
        QTest::newRow("backslash") << "C:\\data\\bank.torv"
                                   << "bank";
        QTest::newRow("slash") << "/home/op/params/line 3.torv"
                               << "line 3";
        QTest::newRow("no folder") << "bank.torv"
                                   << "bank";
    }
    void fileNamePartIsSelected() {
        QFETCH(QString, chosen);
        QFETCH(QString, selected);
        ScriptedPrompts prompts;
        prompts.chooseFile(chosen);
        CDataLoaderDlg window(m_state, m_folder.file("x.ini"));
        QLineEdit* field = Field(&window, kIdParameterName);
        Button(&window, kIdParameterRef)->click();
        QCOMPARE(field->selectedText(), selected);
        QCOMPARE(field->cursorPosition(), field->text().size() - selected.size());
    }

    void cancelLeavesTheField() {
        ScriptedPrompts prompts;
        prompts.chooseFile({});
        CDataLoaderDlg window(m_state, m_folder.file("x.ini"));
        Field(&window, kIdNgDataName)->setText(QStringLiteral("/ng/kept"));
        Button(&window, kIdNgDataRef)->click();
        QCOMPARE(prompts.records().size(), 1);
        QCOMPARE(prompts.records().first().kind, PromptRecord::kFileChooser);
        QCOMPARE(Field(&window, kIdNgDataName)->text(), QStringLiteral("/ng/kept"));
    }

    // Qt reads the patterns from the last parentheses of each entry; "*.*" means every file.
    void choosersOfferTheirFilters_data() {
        QTest::addColumn<int>("buttonId");
        QTest::addColumn<QStringList>("filters");
        const QString all = QStringLiteral("All files(*.*) (*)");
        QTest::newRow("parameter") << int(kIdParameterRef)
                                   << QStringList({"TORV Parameter files ( *.torv )", all});
        QTest::newRow("monitor") << int(kIdMonitorRef)
                                 << QStringList({"TORV Monitor result files ( *.csv )", all});
        QTest::newRow("dictionary") << int(kIdDictionaryRef)
                                    << QStringList({"TORV Dictionary files ( *.dic4 )", all});
        QTest::newRow("ng data") << int(kIdNgDataRef)
                                 << QStringList({"TORV NG data files ( *.ng4 *.bmp )",
                                                 "TORV NG data file ( *.ng4 )",
                                                 "TORV NG screen file ( *.bmp )", "CSV file ( *.csv )", all});
    }
    void choosersOfferTheirFilters() {
        QFETCH(int, buttonId);
        QFETCH(QStringList, filters);
        ScriptedPrompts prompts;
        CDataLoaderDlg window(m_state, m_folder.file("x.ini"));
        Button(&window, buttonId)->click();
        QCOMPARE(prompts.lastFilters(), filters);
        QCOMPARE(prompts.records().first().parent, &window);
    }

    void chosenNameIsWhatTheOperationUses() {
        ScriptedPrompts prompts;
        prompts.chooseFile(QStringLiteral("/data/BANK.TORV"));
        prompts.answerQuestions(false);
        CDataLoaderDlg window(m_state, m_folder.file("x.ini"));
        Button(&window, kIdParameterRef)->click();
        // With no port selected the read cannot open the link, but it has taken the name first.
        List(&window, kIdComPort)->setCurrentIndex(-1);
        Button(&window, kIdReadParameters)->click();
        QCOMPARE(QString::fromStdString(m_state.OperationFileName), QStringLiteral("/data/BANK.TORV"));
        QCOMPARE(m_state.ComPortNumber, 0);
        QCOMPARE(prompts.countOf(StringId::kOpenPortFailed), 1);
    }
};

QTEST_MAIN(RefButtonsTest)
#include "ref_buttons_test.moc"
