// Leaving the parameter editor: Save & Exit, Save & Write to TORV and Exit, the file they write and
// the write request they leave for the main window; and the Enter key, which closes nothing by itself.

#include <QtTest>

#include "tests/gui/support/pedit_harness.h"
#include "tests/support/temp_dir.h"

using namespace torv;
using namespace torv::pedit_test;

namespace {

// The editor on an existing file from a newer sensor (version "105"), bank 3 on show.
struct OpenFile {
    static ParameterSet Start() {
        ParameterSet set = SetSelectingBank(3);
        set.version = 105;
        return set;
    }
    test::TempDir dir;
    ParameterSet set = Start();
    OperationState state = StateFor(dir.file("old"));
    std::string bytes = WriteParameterFile(state.OperationFileName, set);
    PeditPrompts prompts;
    std::unique_ptr<CPeditDlg> editor = OpenEditor(state);

    void click(int id) { FindControl<QPushButton>(editor.get(), id)->click(); }
};

}  // namespace

class PeditSaveTest : public QObject {
    Q_OBJECT
  private slots:
    void saveUnderNewNameWritesThatFileAndLeavesTheOldOne() {
        OpenFile open;
        Type(open.editor.get(), "SHUTTER", "99");
        const std::string newName = open.dir.file("new");
        FindControl<QLineEdit>(open.editor.get(), kWriteFilenameId)->setText(QString::fromStdString(newName));
        open.click(kSaveExitId);
        QVERIFY(open.prompts.records.empty());
        QVERIFY(!open.editor->isVisible());
        QCOMPARE(open.state.OperationFileName, newName);
        QVERIFY(!open.state.EditRequest);

        ParameterSet expected = open.set;
        expected.version = 100;
        expected.bank[3][1] = (expected.bank[3][1] & 0xFF00) | 99;
        const std::string written = test::ReadFileBytes(newName + ".torv");
        QCOMPARE(written, ParameterFileBytes(expected));
        QCOMPARE(std::count(written.begin(), written.end(), '\n'), std::ptrdiff_t{607});
        QCOMPARE(test::ReadFileBytes(open.dir.file("old.torv")), open.bytes);
    }

    void declinedSaveAndWriteStaysOpenAndLaterExitsLeaveNoWriteRequest_data() {
        QTest::addColumn<int>("laterExit");
        QTest::newRow("Exit") << int(kExitId);
        QTest::newRow("Save & Exit") << int(kSaveExitId);
    }
    void declinedSaveAndWriteStaysOpenAndLaterExitsLeaveNoWriteRequest() {
        QFETCH(int, laterExit);
        OpenFile open;
        Type(open.editor.get(), "SHUTTER", "99");
        open.click(kSaveWriteId);  // overwrite answered No
        QVERIFY(open.editor->isVisible());
        QVERIFY(Is(open.prompts.records.at(0), true, Caption::kWarning, Icon::kExclamation,
                   StringId::kSameFileOverwrite));
        open.click(kExitId);  // discard answered No
        QVERIFY(open.editor->isVisible());

        open.prompts.answer(true);
        open.click(laterExit);
        QVERIFY(!open.editor->isVisible());
        QVERIFY(!open.state.EditRequest);
        QCOMPARE(open.prompts.records.size(), 3u);
        const bool discarded = laterExit == kExitId;
        QVERIFY(Is(open.prompts.records[2], true, Caption::kWarning, Icon::kExclamation,
                   discarded ? StringId::kDiscardParametersQuestion : StringId::kSameFileOverwrite));
        QCOMPARE(test::ReadFileBytes(open.dir.file("old.torv")) == open.bytes, discarded);
    }

    void saveAndWriteSetsTheWriteRequest() {
        OpenFile open;
        open.prompts.answer(true);
        open.click(kSaveWriteId);
        QVERIFY(!open.editor->isVisible());
        QVERIFY(open.state.EditRequest);
    }

    void failedSaveIsReportedAndKeepsTheEditorOpenWithTheNewName() {
        OpenFile open;
        const std::string unreachable = open.dir.file("no-such-folder/new");
        FindControl<QLineEdit>(open.editor.get(), kWriteFilenameId)
            ->setText(QString::fromStdString(unreachable));
        open.click(kSaveWriteId);
        QCOMPARE(open.prompts.records.size(), 1u);
        QVERIFY(
            Is(open.prompts.records[0], false, Caption::kError, Icon::kStop, StringId::kCreateFileFailed));
        QVERIFY(open.editor->isVisible() && !open.state.EditRequest);
        QCOMPARE(open.state.OperationFileName, unreachable);
    }

    void enterPressesOnlyAFocusedButton() {
        OpenFile open;
        QVERIFY(QTest::qWaitForWindowActive(open.editor.get()));
        QWidget* shutter = ParameterControl(open.editor.get(), "SHUTTER");
        shutter->setFocus();
        QTest::keyClick(shutter, Qt::Key_Return);
        QCoreApplication::processEvents();
        QVERIFY(open.editor->isVisible() && open.prompts.records.empty());

        QPushButton* copy = FindControl<QPushButton>(open.editor.get(), kCopyBankId);
        copy->setFocus();
        QTest::keyClick(copy, Qt::Key_Return);
        QTRY_COMPARE(open.prompts.records.size(), 1u);
        QVERIFY(Is(open.prompts.records[0], false, Caption::kError, Icon::kStop,
                   StringId::kSelectDestinationBank));
    }
};

QTEST_MAIN(PeditSaveTest)
#include "pedit_save_test.moc"
