// Leaving the parameter editor: Save & Exit, Save & Write to TORV and Exit, the file they write and
// the write request they leave for the main window.

#include <QtTest>

#include "tests/gui/support/pedit_harness.h"
#include "tests/support/temp_dir.h"

using namespace torv;
using namespace torv::pedit_test;

namespace {

constexpr std::size_t kParameterFileLines = 607;
constexpr int kShutterWord = 1;
constexpr int kExtLightFullPower = 0xF00;  // EXTLGTPW "100%", the bits beside SHUTTER

std::string Written(const std::string& name, const ParameterSet& set) {
    WriteParameterFile(name, set);
    return ParameterFileBytes(set);
}

// An existing parameter file from a newer sensor (version "105"), opened on bank 3.
struct OpenFile {
    test::TempDir dir;
    ParameterSet set = [] {
        ParameterSet start = InitialParameterSet();
        start.version = 105;
        start.common[0] = (start.common[0] & ~0x1F) | 3;
        return start;
    }();
    OperationState state = StateFor(dir.file("old"));
    std::string bytes = Written(state.OperationFileName, set);
    PeditPrompts prompts;
    std::unique_ptr<CPeditDlg> editor = OpenEditor(state);
};

}  // namespace

class PeditSaveTest : public QObject {
    Q_OBJECT
  private slots:
    void saveUnderNewNameWritesThatFileAndLeavesTheOldOne() {
        OpenFile open;
        Type(open.editor.get(), "SHUTTER", "99");
        const QString newName = QString::fromStdString(open.dir.file("new"));
        Edit(open.editor.get(), kWriteFilenameId)->setText(newName);
        Button(open.editor.get(), kSaveExitId)->click();

        QVERIFY(open.prompts.records.empty());
        QVERIFY(!open.editor->isVisible());
        QCOMPARE(open.state.OperationFileName, newName.toStdString());
        QVERIFY(!open.state.EditRequest);
        ParameterSet expected = open.set;
        expected.version = 100;
        expected.bank[3][kShutterWord] = kExtLightFullPower | 99;
        const std::string written = test::ReadFileBytes(newName.toStdString() + ".torv");
        QCOMPARE(written, ParameterFileBytes(expected));
        QCOMPARE(std::count(written.begin(), written.end(), '\n'), std::ptrdiff_t(kParameterFileLines));
        QCOMPARE(test::ReadFileBytes(open.dir.file("old.torv")), open.bytes);
    }

    void saveAndWriteDeclinedAtOverwriteStaysOpenAndLaterExitsDoNotWrite_data() {
        QTest::addColumn<int>("laterExit");
        QTest::newRow("Exit") << int(kExitId);
        QTest::newRow("Save & Exit") << int(kSaveExitId);
    }
    void saveAndWriteDeclinedAtOverwriteStaysOpenAndLaterExitsDoNotWrite() {
        QFETCH(int, laterExit);
        OpenFile open;
        open.prompts.answer(false);
        Button(open.editor.get(), kSaveWriteId)->click();
        QVERIFY(open.editor->isVisible());
        QVERIFY(!open.state.EditRequest);
        QVERIFY(Is(open.prompts.records.at(0), true, Caption::kWarning, Icon::kExclamation,
                   StringId::kSameFileOverwrite));

        open.prompts.answer(true);
        Button(open.editor.get(), laterExit)->click();
        QVERIFY(!open.editor->isVisible());
        QVERIFY(!open.state.EditRequest);
        const StringId asked =
            laterExit == kExitId ? StringId::kDiscardParametersQuestion : StringId::kSameFileOverwrite;
        QVERIFY(Is(open.prompts.records.at(1), true, Caption::kWarning, Icon::kExclamation, asked));
    }

    void saveAndWriteSetsTheWriteRequest() {
        OpenFile open;
        open.prompts.answer(true);
        Button(open.editor.get(), kSaveWriteId)->click();
        QVERIFY(!open.editor->isVisible());
        QVERIFY(open.state.EditRequest);
        QCOMPARE(open.editor->result(), int(QDialog::Accepted));
    }

    void failedSaveReportsAndStaysOpenWithTheNewName() {
        OpenFile open;
        const std::string unreachable = open.dir.file("no-such-folder/new");
        Edit(open.editor.get(), kWriteFilenameId)->setText(QString::fromStdString(unreachable));
        Button(open.editor.get(), kSaveWriteId)->click();
        QCOMPARE(open.prompts.records.size(), 1u);
        QVERIFY(
            Is(open.prompts.records[0], false, Caption::kError, Icon::kStop, StringId::kCreateFileFailed));
        QVERIFY(open.editor->isVisible());
        QVERIFY(!open.state.EditRequest);
        QCOMPARE(open.state.OperationFileName, unreachable);
    }

    void exitDeclinedStaysAndExitConfirmedDiscards() {
        OpenFile open;
        Type(open.editor.get(), "SHUTTER", "99");
        open.prompts.answer(false);
        Button(open.editor.get(), kExitId)->click();
        QVERIFY(open.editor->isVisible());
        open.prompts.answer(true);
        Button(open.editor.get(), kExitId)->click();
        QVERIFY(!open.editor->isVisible());
        QCOMPARE(test::ReadFileBytes(open.state.OperationFileName + ".torv"), open.bytes);
    }

    void enterPressesOnlyAFocusedButton() {
        OpenFile open;
        QVERIFY(QTest::qWaitForWindowActive(open.editor.get()));
        QWidget* shutter = ParameterControl(open.editor.get(), "SHUTTER");
        shutter->setFocus();
        QTest::keyClick(shutter, Qt::Key_Return);
        QCoreApplication::processEvents();
        QVERIFY(open.editor->isVisible());
        QVERIFY(open.prompts.records.empty());

        QPushButton* copy = Button(open.editor.get(), kCopyBankId);
        copy->setFocus();
        QTest::keyClick(copy, Qt::Key_Return);
        QTRY_COMPARE(open.prompts.records.size(), 1u);
        QVERIFY(Is(open.prompts.records[0], false, Caption::kError, Icon::kStop,
                   StringId::kSelectDestinationBank));
    }
};

QTEST_MAIN(PeditSaveTest)
#include "pedit_save_test.moc"
