// The main window's Filename fields and lists: the settings file that keeps them (where it lives, how
// a damaged or short file is taken, what "Exit" writes) and the "Ref." buttons that fill them.

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#endif

#include <QFileDialog>

#include "tests/gui/support/gui_harness.h"

using namespace torv;
using namespace torv::test;

namespace {

const QString kSpecify = TextOf(StringId::kSpecifyFileName);

struct StopCase {
    std::string settings;
    int button = 0;
    QStringList prompts;
    int baudIndex = 0;
};

}  // namespace

Q_DECLARE_METATYPE(StopCase)

class FileFieldsTest : public QObject {
    Q_OBJECT

    TempDir m_folder;
    OperationState m_state;

  private slots:
    // COM port, baud rate and NG data number as the lists show them, then the four Filename fields.
    void fileIsRestoredClampedAndCompleted_data() {
        QTest::addColumn<QByteArray>("file");  // "none": no settings file at all
        QTest::addColumn<QStringList>("restored");
        const QByteArray names = "a\r\nb\r\nc\r\nd\r\n";
        const QStringList abcd{"a", "b", "c", "d"};
        const QStringList first{"COM1", "4800", "1"};
        const QByteArray longName(600, 'n');
        QTest::newRow("no file") << QByteArray("none") << QStringList{"COM1", "57600", "1", "", "", "", ""};
        QTest::newRow("in range") << "8\r\n5\r\n29\r\n" + names << QStringList{"COM9", "115200", "30"} + abcd;
        QTest::newRow("com 12, ng 31") << "12\r\n0\r\n30\r\n" + names << first + abcd;
        QTest::newRow("baud 9") << "0\r\n9\r\n0\r\n" + names << QStringList{"COM1", "", "1"} + abcd;
        QTest::newRow("baud -1") << "0\r\n-1\r\n0\r\n" + names << QStringList{"COM1", "", "1"} + abcd;
        QTest::newRow("9 characters")
            << "0000000002\r\nx\r\n7\n" + names << QStringList{"COM1", "4800", "8"} + abcd;
        QTest::newRow("short") << QByteArray("2\r\n1\r\n3\r\nbank\r\nlog")
                               << QStringList{"COM3", "9600", "4", "bank", "log", "", ""};
        QTest::newRow("the hint as a name") << "0\r\n0\r\n0\r\n" + kSpecify.toLatin1() + "\r\nx\r\n\r\n\r\n"
                                            << first + QStringList{"", "x", "", ""};
        QTest::newRow("empty and long names")
            << "0\r\n0\r\n0\r\n\r\n" + longName + "\n\r\n\r\n"
            << first + QStringList{"", QString::fromLatin1(longName), "", ""};
    }
    void fileIsRestoredClampedAndCompleted() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, restored);
        TempDir folder;
        if (file != "none") {
            WriteFileBytes(folder.file("x.ini"), file.toStdString());
        }
        CDataLoaderDlg window(m_state, folder.file("x.ini"));
        QStringList shown;
        for (int id : {kIdComPort, kIdBaudRate, kIdNgDataNumber}) {
            shown << Get<QComboBox>(&window, id)->currentText();
        }
        for (int id : {kIdParameterName, kIdMonitorName, kIdDictionaryName, kIdNgDataName}) {
            shown << Get<QLineEdit>(&window, id)->text();
            QCOMPARE(Get<QLineEdit>(&window, id)->placeholderText(), kSpecify);
        }
        QCOMPARE(shown, restored);
    }

    // An empty field names no file: the operation stops with the hint as its error, before the link
    // is opened, and no file appears. With no rate selected an operation asks its question, then
    // cannot open the link.
    void operationStopsBeforeTheLink_data() {
        QTest::addColumn<StopCase>("row");
        QTest::newRow("empty name") << StopCase{
            "0\r\n4\r\n0\r\n\r\n\r\n\r\n\r\n", kIdReadParameters, {ErrorBox(StringId::kSpecifyFileName)}, 4};
        QTest::newRow("no rate") << StopCase{
            "0\r\n9\r\n0\r\na\r\nb\r\nc\r\nd\r\n",
            kIdSetClock,
            {Prompt(Box::kQuestion, Caption::kWarningBang, Icon::kExclamation, StringId::kSetClockQuestion),
             ErrorBox(StringId::kBaudRateInvalid)},
            -1};
    }
    void operationStopsBeforeTheLink() {
        QFETCH(StopCase, row);
        SimulatedSensor sensor({}, 1);
        TempDir folder;
        WriteFileBytes(folder.file("x.ini"), row.settings);
        ScriptedPrompts answers;
        ModalPresser ok("torv::CComuDlg", CComuDlg::kIdOk);  // closes a dialog that wrongly ran
        CDataLoaderDlg window(m_state, folder.file("x.ini"));
        window.show();
        const QString before = QDir::currentPath();
        QDir::setCurrent(QString::fromStdString(folder.path().string()));
        Get<QPushButton>(&window, row.button)->click();
        QDir::setCurrent(before);
        QCOMPARE(answers.record, row.prompts);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"x.ini"});
        QCOMPARE(ok.presses, 0);
        QVERIFY(sensor.frames().empty());
        QCOMPARE(m_state.BaudIndex, row.baudIndex);
    }

    // Exit asks, then writes the window's choices byte for byte; a write that fails (a file size limit,
    // as a full disk would) is reported and keeps the previous file.
    void exitWritesTheChoicesOrKeepsThePreviousFile_data() {
        QTest::addColumn<QString>("changedName");  // empty: the window as it was read
        QTest::addColumn<QStringList>("errors");
        QTest::newRow("written") << QString() << QStringList();
        QTest::newRow("write fails") << "a new name that does not fit"
                                     << QStringList{ErrorBox(StringId::kSetupFileWriteFailed)};
    }
    void exitWritesTheChoicesOrKeepsThePreviousFile() {
#ifdef _WIN32
        QSKIP("fills the disk with a file-size limit (setrlimit): Linux tests only");
#else
        QFETCH(QString, changedName);
        QFETCH(QStringList, errors);
        TempDir folder;
        const std::string original =
            "3\r\n-1\r\n11\r\nC:\\data\\bank\r\n/log/result\r\ndict\r\nng data 1\r\n";
        WriteFileBytes(folder.file("x.ini"), original);
        ScriptedPrompts prompts;
        CDataLoaderDlg window(m_state, folder.file("x.ini"));
        window.show();
        const sighandler_t handler = signal(SIGXFSZ, SIG_IGN);
        rlimit previous{};
        getrlimit(RLIMIT_FSIZE, &previous);
        if (!changedName.isEmpty()) {
            Get<QLineEdit>(&window, kIdParameterName)->setText(changedName);
            const rlimit limit{8, previous.rlim_max};  // bytes: too few for the settings
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        Get<QPushButton>(&window, kIdExit)->click();
        setrlimit(RLIMIT_FSIZE, &previous);
        signal(SIGXFSZ, handler);
        QCOMPARE(prompts.record, QStringList{Prompt(Box::kQuestion, Caption::kTorv, Icon::kQuestion,
                                                    StringId::kAgreeToExit)} +
                                     errors);
        QCOMPARE(ReadFileBytes(folder.file("x.ini")), original);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{"x.ini"});
        QVERIFY(!window.isVisible());
#endif
    }

    // The chosen file, then the field's text and its selected part.
    void chosenFileLandsInItsFieldWithoutTheToolsExtension_data() {
        QTest::addColumn<int>("buttonId");
        QTest::addColumn<int>("fieldId");
        QTest::addColumn<QStringList>("names");
        const auto row = [](const char* name, int buttonId, int fieldId, const QStringList& names) {
            QTest::newRow(name) << buttonId << fieldId << names;
        };
        row("parameter", kIdParameterRef, kIdParameterName,
            {"C:\\data\\bank.torv", "C:\\data\\bank", "bank"});
        row("upper case kept", kIdParameterRef, kIdParameterName,
            {"/d/BANK.TORV", "/d/BANK.TORV", "BANK.TORV"});
        row("monitor", kIdMonitorRef, kIdMonitorName, {"C:\\log\\result.csv", "C:\\log\\result", "result"});
        row("dictionary", kIdDictionaryRef, kIdDictionaryName, {"/d/c.torv.dic4", "/d/c.torv", "c.torv"});
        row("ng data", kIdNgDataRef, kIdNgDataName, {"/ng/n01.ng4", "/ng/n01", "n01"});
        row("ng screen", kIdNgDataRef, kIdNgDataName, {"/ng/n 01.bmp", "/ng/n 01", "n 01"});
        row("ng csv", kIdNgDataRef, kIdNgDataName, {"C:\\ng\\all.csv", "C:\\ng\\all", "all"});
    }
    void chosenFileLandsInItsFieldWithoutTheToolsExtension() {
        QFETCH(int, buttonId);
        QFETCH(int, fieldId);
        QFETCH(QStringList, names);
        ScriptedPrompts prompts;
        prompts.chosenFile = names[0];
        CDataLoaderDlg window(m_state, m_folder.file("x.ini"));
        Get<QPushButton>(&window, buttonId)->click();
        QCOMPARE(Get<QLineEdit>(&window, fieldId)->text(), names[1]);
        QCOMPARE(Get<QLineEdit>(&window, fieldId)->selectedText(), names[2]);
    }

    // The chooser takes a name that does not exist yet (a backup about to be read), keeps its filters,
    // and the field gets the name without the tool's extension.
    void chooserTakesANewName() {
        TempDir folder;
        const QString typed = QString::fromStdString(folder.file("backup-new.torv"));
        CDataLoaderDlg window(m_state, folder.file("x.ini"));
        QStringList filters;
        QTimer::singleShot(0, [&] {
            QTRY_VERIFY(qobject_cast<QFileDialog*>(QApplication::activeModalWidget()) != nullptr);
            auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            filters = chooser->nameFilters();
            chooser->selectFile(typed);
            static_cast<QDialog*>(chooser)->accept();  // as the Open button does
        });
        Get<QPushButton>(&window, kIdParameterRef)->click();
        QCOMPARE(Get<QLineEdit>(&window, kIdParameterName)->text(), typed.chopped(5));
        QCOMPARE(filters.first(), QStringLiteral("TORV Parameter files ( *.torv )"));
    }

    // Qt reads the patterns from an entry's last parentheses; "*.*" stands for every file.
    void cancelLeavesTheFieldAndTheFiltersAreOffered() {
        ScriptedPrompts prompts;
        CDataLoaderDlg window(m_state, m_folder.file("x.ini"));
        Get<QLineEdit>(&window, kIdNgDataName)->setText(QStringLiteral("/ng/kept"));
        Get<QPushButton>(&window, kIdNgDataRef)->click();
        QCOMPARE(prompts.record, QStringList{"chooser"});
        QCOMPARE(prompts.lastFilters,
                 (QStringList{"TORV NG data files ( *.ng4 *.bmp )", "TORV NG data file ( *.ng4 )",
                              "TORV NG screen file ( *.bmp )", "CSV file ( *.csv )", "All files(*.*) (*)"}));
        QCOMPARE(Get<QLineEdit>(&window, kIdNgDataName)->text(), QStringLiteral("/ng/kept"));
    }
};

QTEST_MAIN(FileFieldsTest)
#include "file_fields_test.moc"
