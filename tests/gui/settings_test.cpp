// The settings file: where it lives, how a damaged or short file is taken, and what "Exit" writes.

#include <signal.h>
#include <sys/resource.h>

#include <QtTest>

#include "app/data_loader_dlg.h"
#include "app/main_window_ids.h"
#include "app/settings_file.h"
#include "tests/gui/support/main_window_access.h"
#include "tests/gui/support/scripted_prompts.h"
#include "tests/gui/support/sim_port.h"
#include "tests/gui/support/transfer_dialog_driver.h"
#include "tests/support/temp_dir.h"

using namespace torv;
using namespace torv::test;

namespace {

const QString kSpecify = TextOf(StringId::kSpecifyFileName);
const QStringList kAllSpecify{kSpecify, kSpecify, kSpecify, kSpecify};

// Makes every file write beyond `bytes` fail, as a full disk would, while it lives.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) : m_handler(signal(SIGXFSZ, SIG_IGN)) {
        getrlimit(RLIMIT_FSIZE, &m_previous);
        const rlimit limit{bytes, m_previous.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_previous);
        signal(SIGXFSZ, m_handler);
    }

  private:
    sighandler_t m_handler;
    rlimit m_previous{};
};

// COM port, baud and NG data list selections, then the four Filename fields.
QStringList WindowState(const CDataLoaderDlg& window) {
    QStringList state;
    for (int id : {kIdComPort, kIdBaudRate, kIdNgDataNumber}) {
        state << QString::number(List(&window, id)->currentIndex());
    }
    for (int id : {kIdParameterName, kIdMonitorName, kIdDictionaryName, kIdNgDataName}) {
        state << Field(&window, id)->text();
    }
    return state;
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
        QTest::newRow("dot in a folder") << "/opt/torv-1.0/torvloader"
                                         << "/opt/torv-1.0/torvloader.ini";
        QTest::newRow("dot in a windows folder") << "C:\\v1.2\\loader"
                                                 << "C:\\v1.2\\loader.ini";
        QTest::newRow("two dots") << "/usr/bin/torv.loader.bin"
                                  << "/usr/bin/torv.loader.ini";
        QTest::newRow("hidden file") << "/home/op/.torvloader"
                                     << "/home/op/.torvloader.ini";
    }
    void settingsPathSitsBesideTheProgram() {
        QFETCH(QString, program);
        QFETCH(QString, settings);
        QCOMPARE(QString::fromStdString(SettingsPathFor(program.toStdString())), settings);
    }

    // Missing numbers take COM1, 57600 and NG data number 1; missing names string 207.
    void fileIsRestoredClampedAndCompleted_data() {
        QTest::addColumn<QByteArray>("file");  // "none": no settings file at all
        QTest::addColumn<QStringList>("restored");
        const QByteArray names = "a\r\nb\r\nc\r\nd\r\n";
        const QStringList abcd{"a", "b", "c", "d"};
        QTest::newRow("no file") << QByteArray("none") << QStringList{"0", "4", "0"} + kAllSpecify;
        QTest::newRow("in range") << "8\r\n5\r\n29\r\n" + names << QStringList{"8", "5", "29"} + abcd;
        QTest::newRow("com 12 is COM1") << "11\r\n0\r\n0\r\n" + names << QStringList{"0", "0", "0"} + abcd;
        QTest::newRow("baud 9: no rate") << "0\r\n9\r\n0\r\n" + names << QStringList{"0", "-1", "0"} + abcd;
        QTest::newRow("baud -1: no rate") << "0\r\n-1\r\n0\r\n" + names << QStringList{"0", "-1", "0"} + abcd;
        QTest::newRow("ng 31 is 1") << "-1\r\n1\r\n30\r\n" + names << QStringList{"0", "1", "0"} + abcd;
        QTest::newRow("9 characters")
            << "0000000002\r\nx\r\n7\n" + names << QStringList{"0", "0", "7"} + abcd;
        QTest::newRow("empty file") << QByteArray() << QStringList{"0", "4", "0"} + kAllSpecify;
        QTest::newRow("five lines") << QByteArray("2\r\n1\r\n3\r\nbank\r\nlog")
                                    << QStringList{"2", "1", "3", "bank", "log", kSpecify, kSpecify};
        QTest::newRow("empty names") << QByteArray("0\r\n0\r\n0\r\n\r\n\n\r\n\r\n")
                                     << QStringList{"0", "0", "0", "", "", "", ""};
        const QByteArray longName(600, 'n');
        QTest::newRow("long name") << "0\n0\n0\n" + longName + "\n" + names
                                   << QStringList{"0", "0", "0", QString::fromLatin1(longName),
                                                  "a", "b", "c"};
    }
    void fileIsRestoredClampedAndCompleted() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, restored);
        TempDir folder;
        if (file != "none") {
            WriteFileBytes(folder.file("x.ini"), file.toStdString());
        }
        OperationState state;
        CDataLoaderDlg window(state, folder.file("x.ini"));
        QCOMPARE(WindowState(window), restored);
    }

    void exitWritesTheWindowsChoicesByteForByte() {
        TempDir folder;
        const std::string original =
            "3\r\n-1\r\n11\r\nC:\\data\\bank\r\n/log/result\r\ndict\r\nng data 1\r\n";
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

    void failedWriteReportsAndKeepsThePreviousFile() {
        TempDir folder;
        const std::string original = "1\r\n1\r\n1\r\nold\r\nold\r\nold\r\nold\r\n";
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
        QCOMPARE(prompts.records().size(), 2);
        QCOMPARE(prompts.records().last().text, TextOf(StringId::kSetupFileWriteFailed));
        QCOMPARE(prompts.records().last().caption, Caption::kError);
        QCOMPARE(prompts.records().last().icon, Icon::kStop);
        QCOMPARE(ReadFileBytes(folder.file("x.ini")), original);
        QCOMPARE(QDir(QString::fromStdString(folder.path().string())).entryList(QDir::Files),
                 QStringList{"x.ini"});
        QVERIFY(!window.isVisible());
    }

    // A start with no rate selected: the operation asks its question, then cannot open the link.
    void noBaudRateSelectedFailsTheOperationWith143() {
        SimPort sim(1);
        TempDir folder;
        WriteFileBytes(folder.file("x.ini"), "0\r\n9\r\n0\r\na\r\nb\r\nc\r\nd\r\n");
        ScriptedPrompts prompts;
        TransferDialogDriver driver;  // closes a dialog that wrongly got as far as running
        OperationState state;
        CDataLoaderDlg window(state, folder.file("x.ini"));
        window.show();
        Button(&window, kIdSetClock)->click();
        QCOMPARE(prompts.records().size(), 2);
        QCOMPARE(prompts.records().first().text, TextOf(StringId::kSetClockQuestion));
        QCOMPARE(prompts.records().first().caption, Caption::kWarningBang);
        QCOMPARE(prompts.records().last().text, TextOf(StringId::kBaudRateInvalid));
        QCOMPARE(prompts.records().last().caption, Caption::kError);
        QCOMPARE(state.OperationCode, int(kSetClock));
        QCOMPARE(state.BaudIndex, -1);
        QCOMPARE(driver.finishedDialogs(), 0);
        QVERIFY(window.isVisible());
    }
};

QTEST_MAIN(SettingsTest)
#include "settings_test.moc"
