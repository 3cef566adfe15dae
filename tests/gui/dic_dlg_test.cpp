// The dictionary editor: the slot it opens on, drawing and clearing dots, the code field, Insert and
// Delete with their questions, the ways out and the file they save, the keys, and the screen it fits.

#include <QCheckBox>
#include <QListWidget>
#include <QPlainTextEdit>

#include "dictionary/character_preview.h"
#include "dictionary/dic_dlg.h"
#include "dictionary/dictionary_file.h"
#include "dictionary/dot_grid.h"
#include "tests/gui/support/gui_harness.h"

using namespace torv;
using namespace torv::test;

namespace {

std::string FileOf(const std::vector<DictionaryCharacter>& characters) {
    return DictionaryFileBytes(characters);
}

// The editor, shown, on "dict" in a fresh folder holding `fileBytes` (nullopt: no file), as after a
// read that appended `appended` characters; questions are answered No unless an answer is queued.
struct Editor {
    explicit Editor(std::optional<std::string> fileBytes = DictionaryFileBytes(Letters(5)),
                    int appended = 0) {
        state.OperationFileName = dir.file("dict");
        state.AppendedCharCount = appended;
        if (fileBytes) {
            WriteFileBytes(path(), *fileBytes);
        }
        dialog = std::make_unique<CDicDlg>(state);
        dialog->show();
    }
    std::string path() const { return dir.file("dict.dic4"); }
    QComboBox* number() const { return Get<QComboBox>(dialog.get(), CDicDlg::kIdNumber); }
    QLineEdit* code() const { return Get<QLineEdit>(dialog.get(), CDicDlg::kIdCode); }
    QString list() const { return Get<QPlainTextEdit>(dialog.get(), CDicDlg::kIdList)->toPlainText(); }
    QCheckBox* box(int row, int column) const { return Get<QCheckBox>(dialog.get(), DotBoxId(row, column)); }
    void click(int id) const { Get<QPushButton>(dialog.get(), id)->click(); }
    const DictionaryCharacter& slot(int index) const { return dialog->table().slot(index); }
    // A stroke of the mouse: press on the first box, move over the others, release on the last.
    void stroke(const std::vector<std::pair<int, int>>& boxes) const {
        QWidget* first = box(boxes.front().first, boxes.front().second);
        QTest::mousePress(first, Qt::LeftButton, Qt::NoModifier, first->rect().center());
        QWidget* last = first;
        for (const auto& [row, column] : boxes) {
            last = box(row, column);
            QTest::mouseMove(last, last->rect().center());
        }
        QTest::mouseRelease(last, Qt::LeftButton, Qt::NoModifier, last->rect().center());
    }

    TempDir dir;
    OperationState state;
    ScriptedPrompts prompts{false};
    std::unique_ptr<CDicDlg> dialog;
};

// The file (nullopt: none), the count a read appended, the slot selected (-1: none), the prompts.
struct OpenCase {
    std::optional<std::string> file;
    int appended = 0;
    int selected = 0;
    QStringList prompts;
};

}  // namespace

Q_DECLARE_METATYPE(OpenCase)

class DicDlgTest : public QObject {
    Q_OBJECT

  private slots:
    // A read that appended 4 to make 10 selects slot 7 (the slot table's unit test has the other counts);
    // a missing file warns and selects nothing; a broken third block is reported and dropped, the two
    // before it loaded.
    void opensOnTheFirstAppendedCharacter_data() {
        QTest::addColumn<OpenCase>("row");
        const std::string ten = DictionaryFileBytes(Letters(10));
        QTest::newRow("appended 4") << OpenCase(ten, 4, 6, {});
        QTest::newRow("missing") << OpenCase(
            std::nullopt, 0, -1,
            QStringList{Prompt(Box::kMessage, Caption::kWarning, Icon::kExclamation,
                               StringId::kDictionaryFileNotFound)});
        QTest::newRow("third block broken") << OpenCase(
            ten.substr(0, 2 * 66 + 20), 0, 1, QStringList{ErrorBox(StringId::kDictionaryFileInvalid)});
    }
    void opensOnTheFirstAppendedCharacter() {
        QFETCH(OpenCase, row);
        Editor editor(row.file, row.appended);
        QCOMPARE(editor.prompts.record, row.prompts);
        QCOMPARE(editor.dialog->currentSlot(), row.selected);
        QCOMPARE(editor.number()->currentIndex(), row.selected);
        QCOMPARE(editor.list().count(QLatin1Char('\n')), 504);
        // With no slot there is nothing to draw on, to code, to insert before or to delete.
        for (int id : std::initializer_list<int>{CDicDlg::kIdCode, DotBoxId(4, 4), CDicDlg::kIdInsert,
                                                 CDicDlg::kIdDelete}) {
            QCOMPARE(Get(editor.dialog.get(), id)->isEnabled(), row.selected >= 0);
        }
        if (row.selected >= 0) {
            QCOMPARE(editor.code()->text(), QString(QLatin1Char('A' + row.selected)));
            QVERIFY(editor.box(3, row.selected % kGridSize + 1)->isChecked());
        }
        if (!row.file) {
            QVERIFY(editor.list().startsWith(QStringLiteral("No.1\n       \n")));
        }
    }

    // The overview shows every slot with its code and how many are used; a click on one chooses it,
    // and it follows an insert at once.
    void slotOverviewChoosesAndCountsTheSlots() {
        Editor editor;  // five letters
        QVERIFY(QTest::qWaitForWindowActive(editor.dialog.get()));
        auto* overview = editor.dialog->findChild<QListWidget*>(QStringLiteral("slotThumbnails"));
        auto* used = editor.dialog->findChild<QLabel*>(QStringLiteral("slotsUsed"));
        QCOMPARE(used->text(), QStringLiteral("5 of 56 used"));
        QCOMPARE(overview->item(2)->text(), QStringLiteral("3 C"));
        QCOMPARE(overview->item(5)->text(), QStringLiteral("6 "));
        const QRect third = overview->visualItemRect(overview->item(2));
        QTest::mouseClick(overview->viewport(), Qt::LeftButton, Qt::NoModifier, third.center());
        QCOMPARE(editor.dialog->currentSlot(), 2);
        QCOMPARE(editor.number()->currentIndex(), 2);
        editor.click(CDicDlg::kIdInsert);
        QCOMPARE(used->text(), QStringLiteral("6 of 56 used"));
        QCOMPARE(overview->item(2)->text(), QStringLiteral("3 ?"));
        QCOMPARE(overview->item(3)->text(), QStringLiteral("4 C"));
    }

    // A stroke paints a run of dots, a stroke that starts on a set dot clears them, the space bar sets
    // the box the arrow keys reached; the preview and the list follow at once, and the saved block
    // holds exactly those dots.
    void drawingAndClearingDotsUpdatesTheBlockText() {
        Editor editor(FileOf({{'Q', {}}}));
        QCOMPARE(editor.dialog->currentSlot(), 0);
        editor.stroke({{2, 1}, {2, 2}, {2, 3}, {2, 4}, {3, 4}});
        editor.stroke({{2, 2}, {2, 3}});
        editor.box(6, 7)->setFocus();  // the keyboard draws too: an arrow to the box, then space
        QTest::keyClick(editor.box(6, 7), Qt::Key_Down);
        QCOMPARE(editor.dialog->focusWidget(), editor.box(7, 7));
        QTest::keyClick(editor.box(7, 7), Qt::Key_Space);
        const DotRows expected{0, 0x40 | 0x08, 0x08, 0, 0, 0, 0x01};
        QCOMPARE(editor.slot(0).rows, expected);
        QCOMPARE(editor.dialog->preview()->recordText(), QStringLiteral("51 80 C8 88 80 80 80 81"));
        QVERIFY(editor.list().startsWith(
            QStringLiteral("No.1 : Q\n       \n*  *   \n   *   \n       \n       \n       \n      *\n\n")));
        editor.click(CDicDlg::kIdSaveWrite);
        QCOMPARE(editor.prompts.record,
                 QStringList{WarningQuestion(StringId::kOverwriteDictionaryFileQuestion)});
        QVERIFY(editor.dialog->isVisible());  // declined: nothing saved, the request cleared
        QVERIFY(!editor.state.EditRequest);
        editor.prompts.answer(true);
        editor.click(CDicDlg::kIdSaveWrite);
        QVERIFY(!editor.dialog->isVisible());
        QVERIFY(editor.state.EditRequest);
        QCOMPARE(ReadFileBytes(editor.path()), FileOf({{'Q', expected}}));
    }

    // A "-" cell of a file read from a pattern shows as missing, not as blank, until its dot is drawn
    // here; saved, the character has one plane.
    void missingCellsShowUntilDrawn() {
        std::string block = "Q\r\n-*     \r\n";
        for (int row = 2; row <= kGridSize; ++row) {
            block += "       \r\n";
        }
        Editor editor(block);
        const auto missing = [&](int row, int column) {
            return qobject_cast<DotBox*>(editor.box(row, column))->missing();
        };
        QVERIFY(missing(1, 1) && !editor.box(1, 1)->isChecked());
        QVERIFY(!missing(1, 3));
        editor.stroke({{1, 1}});
        QVERIFY(!missing(1, 1) && editor.box(1, 1)->isChecked());
        QCOMPARE(editor.slot(0).missing, DotRows{});
    }

    // The field takes one printable character, which replaces the one shown; clearing the code of the
    // last character saves one block fewer, and with every slot empty there is nothing to save.
    void codeFieldTakesOneCharacterAndAnEmptyCodeEmptiesTheSlot() {
        Editor editor;
        QCOMPARE(editor.dialog->currentSlot(), 4);
        editor.code()->setFocus();
        QTest::keyClicks(editor.code(), QStringLiteral("xY"));
        QCOMPARE(editor.code()->text(), QStringLiteral("Y"));
        QCOMPARE(editor.slot(4).code, std::uint8_t('Y'));
        QTest::keyClick(editor.code(), Qt::Key_Backspace);
        QCOMPARE(editor.slot(4).code, kEmptyCode);
        editor.prompts.answer(true);  // the file is there: overwrite it
        editor.click(CDicDlg::kIdSaveExit);
        QVERIFY(!editor.dialog->isVisible());
        QCOMPARE(ReadFileBytes(editor.path()), DictionaryFileBytes(Letters(4)));

        Editor empty(FileOf({{'Z', {}}}));
        empty.code()->clear();
        empty.click(CDicDlg::kIdSaveExit);
        QCOMPARE(empty.prompts.record, QStringList{ErrorBox(StringId::kDictionaryEmptyOnSave)});
        QVERIFY(empty.dialog->isVisible());
    }

    // Slot 56 in use: No leaves everything, Yes pushes slot 56's character out; the new slot is "?"
    // with no dots and stays selected.
    void insertWithTheLastSlotInUseAsksFirst() {
        Editor editor(DictionaryFileBytes(Letters(kDictionaryMaxChars)));
        editor.number()->setCurrentIndex(2);
        editor.click(CDicDlg::kIdInsert);
        QCOMPARE(editor.prompts.record, QStringList{WarningQuestion(StringId::kDeleteLastCharacterQuestion)});
        QCOMPARE(editor.slot(2), Letters(3)[2]);
        editor.prompts.answer(true);
        editor.click(CDicDlg::kIdInsert);
        QCOMPARE(editor.slot(2), (DictionaryCharacter{'?', {}}));
        QCOMPARE(editor.slot(3), Letters(3)[2]);
        QCOMPARE(editor.slot(55), Letters(55)[54]);
        QCOMPARE(editor.dialog->currentSlot(), 2);
        QCOMPARE(editor.code()->text(), QStringLiteral("?"));
        QVERIFY(editor.list().contains(QStringLiteral("No.3 : ?\n       \n")));
    }

    // Deleting the last character moves the selection to the one before; deleting slot 1 of a
    // one-character dictionary leaves slot 1 selected and empty.
    void deleteMovesTheSelectionOffAnEmptySlot() {
        Editor editor;
        editor.click(CDicDlg::kIdDelete);
        QCOMPARE(editor.prompts.record, QStringList{WarningQuestion(StringId::kDeleteCharacterQuestion)});
        QCOMPARE(editor.slot(4).code, std::uint8_t('E'));
        editor.prompts.answer(true);
        editor.click(CDicDlg::kIdDelete);
        QCOMPARE(editor.slot(4).code, kEmptyCode);
        QCOMPARE(editor.dialog->currentSlot(), 3);
        QCOMPARE(editor.number()->currentIndex(), 3);
        QCOMPARE(editor.code()->text(), QStringLiteral("D"));

        Editor single(FileOf({{'K', {}}}));
        single.prompts.answer(true);
        single.click(CDicDlg::kIdDelete);
        QCOMPARE(single.dialog->currentSlot(), 0);
        QCOMPARE(single.code()->text(), QString());
    }

    // On a small screen the drawing scrolls and the buttons stay in view. Escape, Enter and the close
    // box close nothing; Cancel asks whether to discard the edits and clears the request.
    void fitsTheScreenKeysCloseNothingAndCancelAsks() {
        Editor editor;
        QVERIFY(ShowActive(*editor.dialog));
        QVERIFY(FitsTheScreenWithButtonsInView(
            *editor.dialog, {CDicDlg::kIdSaveExit, CDicDlg::kIdSaveWrite, CDicDlg::kIdCancel}));
        QVERIFY(KeysAndCloseBoxLeaveItOpen(*editor.dialog, editor.code(), {Qt::Key_Return, Qt::Key_Escape}));
        QVERIFY(editor.prompts.record.isEmpty());
        editor.state.EditRequest = true;
        editor.click(CDicDlg::kIdCancel);
        QVERIFY(editor.dialog->isVisible());
        QVERIFY(!editor.state.EditRequest);
        editor.prompts.answer(true);
        editor.click(CDicDlg::kIdCancel);
        QVERIFY(!editor.dialog->isVisible());
        QCOMPARE(ReadFileBytes(editor.path()), DictionaryFileBytes(Letters(5)));
    }
};

QTEST_MAIN(DicDlgTest)
#include "dic_dlg_test.moc"
