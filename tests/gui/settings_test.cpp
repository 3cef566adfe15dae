// The settings file: where it lives, how a damaged or short file is taken, and what "Exit" writes.

#include <signal.h>
#include <sys/resource.h>

#include <QtTest>

#include "app/data_loader_dlg.h"
#include "app/main_window_ids.h"
#include "app/settings_file.h"
#include "link/comu_dlg.h"
#include "tests/gui/support/main_window_access.h"
#include "tests/gui/support/scripted_prompts.h"
#include "tests/gui/support/sim_port.h"
#include "tests/support/temp_dir.h"

using namespace torv;
using namespace torv::test;

namespace {

const QString kSpecify = TextOf(StringId::kSpecifyFileName);

// Makes every file write beyond `bytes` fail (as a full disk would) while it lives.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_previous);
        m_previousHandler = signal(SIGXFSZ, SIG_IGN);
        rlimit limit{bytes, m_previous.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_previous);
        signal(SIGXFSZ, m_previousHandler);
    }

  private:
    rlimit m_previous{};
    sighandler_t m_previousHandler;
};

QStringList FieldTexts(const CDataLoaderDlg& window) {
    QStringList texts;
    for (int id : {kIdParameterName, kIdMonitorName, kIdDictionaryName, kIdNgDataName}) {
        texts << Field(&window, id)->text();
    }
    return texts;
}

}  // namespace

class SettingsTest : public QObject {
    Q_OBJECT

  private slots:
    void settingsPathSitsBesideTheProgram_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("settings");
        QTest::newRow("windows program") << "C:\\tools\\X.exe"
                                         << "C:\\tools\\X.ini";
        QTest::newRow("no extension") << "/opt/torv/torvloader"
                                      << "/opt/torv/torvloader.ini";
        QTest::newRow("dot in a folder name") << "/opt/torv-1.0/torvloader"
                                              << "/opt/torv-1.0/torvloader.ini";
        QTest::newRow("dot in a windows folder") << "C:\\v1.2\\loader"
                                                 << "C:\\v1.2\\loader.ini";
        QTest::newRow("two dots in the name") << "/usr/bin/torv.loader.bin"
                                              << "/usr/bin/torv.loader.ini";
        QTest::newRow("hidden file") << "/home/op/.torvloader"
                                     << "/home/op/.torvloader.ini";
        QTest::newRow("bare name") << "torvloader"
                                   << "torvloader.ini";
    }
    void settingsPathSitsBesideTheProgram() {
        QFETCH(QString, program);
        QFETCH(QString, settings);
        QCOMPARE(QString::fromStdString(SettingsPathFor(program.toStdString())), settings);
    }

    void firstStartWithoutSettingsFileUsesDefaults() {
        TempDir folder;
        OperationState state;
        CDataLoaderDlg window(state, folder.file("torvloader.ini"));
        QCOMPARE(List(&window, kIdComPort)->currentText(), QStringLiteral("COM1"));
        QCOMPARE(List(&window, kIdBaudRate)->currentText(), QStringLiteral("57600"));
        QCOMPARE(List(&window, kIdNgDataNumber)->currentText(), QStringLiteral("1"));
        QCOMPARE(FieldTexts(window), QStringList({kSpecify, kSpecify, kSpecify, kSpecify}));
    }

    void damagedNumbersAreClamped_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("com");
        QTest::addColumn<int>("baudIndex");
        QTest::addColumn<QString>("ngNumber");
        const QByteArray names = "a\r\nb\r\nc\r\nd\r\n";
        QTest::newRow("in range") << "8\r\n5\r\n29\r\n" + names << "COM9" << 5 << "30";
        QTest::newRow("com 12 becomes COM1") << "11\r\n0\r\n0\r\n" + names << "COM1" << 0 << "1";
        QTest::newRow("baud 9 selects nothing") << "0\r\n9\r\n0\r\n" + names << "COM1" << -1 << "1";
        QTest::newRow("baud -1 selects nothing") << "0\r\n-1\r\n0\r\n" + names << "COM1" << -1 << "1";
        QTest::newRow("baud 6 selects nothing") << "0\r\n6\r\n0\r\n" + names << "COM1" << -1 << "1";
        QTest::newRow("nothing selected is -1") << "-1\r\n3\r\n-1\r\n" + names << "COM1" << 3 << "1";
        QTest::newRow("ng 31 becomes 1") << "2\r\n1\r\n30\r\n" + names << "COM3" << 1 << "1";
        QTest::newRow("only 9 characters count") << "0000000002\r\n1\r\n0\r\n" + names << "COM1" << 1 << "1";
        QTest::newRow("text is 0") << "abc\r\nx\r\n?\r\n" + names << "COM1" << 0 << "1";
        QTest::newRow("LF line ends") << QByteArray("4\n2\n7\na\nb\nc\nd\n") << "COM5" << 2 << "8";
    }
    void damagedNumbersAreClamped() {
        QFETCH(QByteArray, file);
        QFETCH(QString, com);
        QFETCH(int, baudIndex);
        QFETCH(QString, ngNumber);
        TempDir folder;
        WriteFileBytes(folder.file("x.ini"), file.toStdString());
        OperationState state;
        CDataLoaderDlg window(state, folder.file("x.ini"));
        QCOMPARE(List(&window, kIdComPort)->currentText(), com);
        QCOMPARE(List(&window, kIdBaudRate)->currentIndex(), baudIndex);
        QCOMPARE(List(&window, kIdNgDataNumber)->currentText(), ngNumber);
        QCOMPARE(FieldTexts(window), QStringList({"a", "b", "c", "d"}));
    }

    void shortFileTakesDefaultsForMissingLines_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("comIndex");
        QTest::addColumn<int>("baudIndex");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("empty") << QByteArray() << 0 << 4
                               << QStringList({kSpecify, kSpecify, kSpecify, kSpecify});
        QTest::newRow("one line") << QByteArray("2\r\n") << 2 << 4
                                  << QStringList({kSpecify, kSpecify, kSpecify, kSpecify});
        QTest::newRow("five lines") << QByteArray("2\r\n1\r\n3\r\nbank\r\nlog\r\n") << 2 << 1
                                    << QStringList({"bank", "log", kSpecify, kSpecify});
        QTest::newRow("last line without line end")
            << QByteArray("0\r\n0\r\n0\r\np\r\nm\r\nd") << 0 << 0 << QStringList({"p", "m", "d", kSpecify});
        QTest::newRow("empty names stay empty")
            << QByteArray("0\r\n0\r\n0\r\n\r\n\r\n\r\n\r\n") << 0 << 0 << QStringList({"", "", "", ""});
    }
    void shortFileTakesDefaultsForMissingLines() {
        QFETCH(QByteArray, file);
        QFETCH(int, comIndex);
        QFETCH(int, baudIndex);
        QFETCH(QStringList, names);
        TempDir folder;
        WriteFileBytes(folder.file("x.ini"), file.toStdString());
        OperationState state;
        CDataLoaderDlg window(state, folder.file("x.ini"));
        QCOMPARE(List(&window, kIdComPort)->currentIndex(), comIndex);
        QCOMPARE(List(&window, kIdBaudRate)->currentIndex(), baudIndex);
        QCOMPARE(FieldTexts(window), names);
    }

    void longNamesAreKeptWhole() {
        TempDir folder;
        const std::string longName = "/data/" + std::string(600, 'n');
        WriteFileBytes(folder.file("x.ini"), "0\r\n0\r\n0\r\n" + longName + "\r\nm\r\nd\r\nn\r\n");
        OperationState state;
        CDataLoaderDlg window(state, folder.file("x.ini"));
        QCOMPARE(Field(&window, kIdParameterName)->text(), QString::fromStdString(longName));
    }

    void exitWritesTheWindowsChoicesByteForByte() {
        TempDir folder;
        const std::string original = "3\r\n2\r\n11\r\nC:\\data\\bank\r\n/log/result\r\ndict\r\nng data 1\r\n";
        WriteFileBytes(folder.file("x.ini"), original);
        ScriptedPrompts prompts;
        OperationState state;
        CDataLoaderDlg window(state, folder.file("x.ini"));
        window.show();
        Button(&window, kIdExit)->click();
        QCOMPARE(prompts.countOf(StringId::kAgreeToExit), 1);
        QCOMPARE(prompts.records().first().caption, Caption::kTorv);
        QCOMPARE(prompts.records().first().icon, Icon::kQuestion);
        QCOMPARE(ReadFileBytes(folder.file("x.ini")), original);
        QVERIFY(!window.isVisible());
    }

    void exitWritesChangedSelections() {
        TempDir folder;
        ScriptedPrompts prompts;
        OperationState state;
        CDataLoaderDlg window(state, folder.file("x.ini"));
        List(&window, kIdComPort)->setCurrentIndex(8);
        List(&window, kIdBaudRate)->setCurrentIndex(-1);
        List(&window, kIdNgDataNumber)->setCurrentIndex(29);
        Field(&window, kIdDictionaryName)->setText(QStringLiteral("/home/op/dic"));
        Button(&window, kIdExit)->click();
        QCOMPARE(ReadFileBytes(folder.file("x.ini")),
                 std::string("8\r\n-1\r\n29\r\n") + kSpecify.toStdString() + "\r\n" + kSpecify.toStdString() +
                     "\r\n/home/op/dic\r\n" + kSpecify.toStdString() + "\r\n");
    }

    void answeringNoKeepsTheWindowAndTheFile() {
        TempDir folder;
        ScriptedPrompts prompts;
        prompts.answerQuestions(false);
        OperationState state;
        CDataLoaderDlg window(state, folder.file("x.ini"));
        window.show();
        Button(&window, kIdExit)->click();
        QCOMPARE(prompts.countOf(StringId::kAgreeToExit), 1);
        QVERIFY(window.isVisible());
        QVERIFY(!QFile::exists(QString::fromStdString(folder.file("x.ini"))));
    }

    void failedWriteReportsAndKeepsThePreviousFile() {
        TempDir folder;
        const std::string original = "1\r\n1\r\n1\r\nold parameter name\r\nold\r\nold\r\nold\r\n";
        WriteFileBytes(folder.file("x.ini"), original);
        ScriptedPrompts prompts;
        OperationState state;
        CDataLoaderDlg window(state, folder.file("x.ini"));
        window.show();
        Field(&window, kIdParameterName)->setText(QStringLiteral("a new name that does not fit"));
        {
            FileSizeLimit limit(8);
            Button(&window, kIdExit)->click();
        }
        QCOMPARE(prompts.countOf(StringId::kSetupFileWriteFailed), 1);
        QCOMPARE(prompts.records().last().caption, Caption::kError);
        QCOMPARE(prompts.records().last().icon, Icon::kStop);
        QCOMPARE(ReadFileBytes(folder.file("x.ini")), original);
        QVERIFY(!window.isVisible());
        QCOMPARE(QDir(QString::fromStdString(folder.path().string())).entryList(QDir::Files),
                 QStringList({"x.ini"}));
    }

    void settingsInAMissingFolderReportTheFailure() {
        TempDir folder;
        ScriptedPrompts prompts;
        OperationState state;
        CDataLoaderDlg window(state, folder.file("gone/x.ini"));
        window.show();
        Button(&window, kIdExit)->click();
        QCOMPARE(prompts.countOf(StringId::kSetupFileWriteFailed), 1);
        QVERIFY(!window.isVisible());
    }

    // The baud index 9 selects no rate, and an operation started that way cannot open the link.
    void noBaudRateSelectedFailsTheOperationWith143() {
        SimPort sim(1);
        TempDir folder;
        WriteFileBytes(folder.file("x.ini"), "0\r\n9\r\n0\r\na\r\nb\r\nc\r\nd\r\n");
        ScriptedPrompts prompts;
        OperationState state;
        CDataLoaderDlg window(state, folder.file("x.ini"));
        window.show();
        Button(&window, kIdSetClock)->click();
        QCOMPARE(state.ComPortNumber, 1);
        QCOMPARE(state.BaudIndex, -1);
        QCOMPARE(prompts.countOf(StringId::kBaudRateInvalid), 1);
        QCOMPARE(prompts.records().last().caption, Caption::kError);
        QVERIFY(window.isVisible());
    }
};

QTEST_MAIN(SettingsTest)
#include "settings_test.moc"
