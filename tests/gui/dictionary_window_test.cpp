// The main window's dictionary commands against torvsim: a character read whose EDIT opens the editor
// on the first character just appended, and the editor's "Save && Write to TORV" leading into the
// write command, which asks 156 first and sends nothing when declined.

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "app/data_loader_dlg.h"
#include "app/main_window_ids.h"
#include "dictionary/dic_dlg.h"
#include "dictionary/dictionary_file.h"
#include "tests/gui/support/gui_harness.h"
#include "tests/gui/support/scripted_prompts.h"
#include "tests/support/sim_files.h"
#include "tests/support/temp_dir.h"
#include "ui/comu_dlg.h"

using namespace torv;
using namespace torv::test;

namespace {

constexpr int kSimPort = 4;

std::vector<DictionaryCharacter> Characters(const std::string& codes) {
    std::vector<DictionaryCharacter> characters;
    for (char code : codes) {
        characters.push_back({static_cast<std::uint8_t>(code), {0x7F, 0, 0, 0, 0, 0, 0x7F}});
    }
    return characters;
}

CDicDlg* OpenEditor() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* editor = qobject_cast<CDicDlg*>(window); editor != nullptr && editor->isVisible()) {
            return editor;
        }
    }
    return nullptr;
}

}  // namespace

class DictionaryWindowTest : public QObject {
    Q_OBJECT

    TempDir m_folder;
    OperationState m_state;

    // The window with its lists on the simulated sensor and its dictionary field on "user".
    std::unique_ptr<CDataLoaderDlg> windowOnSim() {
        auto window = std::make_unique<CDataLoaderDlg>(m_state, m_folder.file("x.ini"));
        Get<QComboBox>(window.get(), kIdComPort)->setCurrentIndex(kSimPort - 1);
        Get<QComboBox>(window.get(), kIdBaudRate)->setCurrentText(QStringLiteral("57600"));
        Get<QLineEdit>(window.get(), kIdDictionaryName)
            ->setText(QString::fromStdString(m_folder.file("user")));
        return window;
    }

  private slots:
    // Six characters in the file, four appended (question 152 answered Yes): EDIT opens the editor
    // on slot 7, the first of the four.
    void readRecognizedThenEditOpensTheFirstAppendedCharacter() {
        SimPort sim(kSimPort, {"--recognized", "A12B"});
        WriteFileBytes(m_folder.file("user.dic4"), DictionaryFileBytes(Characters("KXTPHG")));
        ScriptedPrompts prompts;
        int selected = kNoSlot;
        prompts.whileAsking = [&] {
            if (CDicDlg* editor = OpenEditor()) {
                selected = editor->currentSlot();
            }
        };
        ModalPresser edit("torv::CComuDlg", CComuDlg::kIdCancel, CComuDlg::kIdOk);
        ModalPresser cancel("torv::CDicDlg", CDicDlg::kIdCancel);
        auto window = windowOnSim();
        Get<QPushButton>(window.get(), kIdReadRecognized)->click();
        QCOMPARE(edit.presses, 1);
        QCOMPARE(edit.lastStatus, TextOf(StringId::kRecognizedCharactersCompleted));
        QCOMPARE(m_state.AppendedCharCount, 4);
        QCOMPARE(cancel.presses, 1);
        QCOMPARE(selected, 6);
        QCOMPARE(prompts.record, (QStringList{WarningQuestion(StringId::kDictionaryAppendQuestion),
                                              WarningQuestion(StringId::kDiscardDictionaryQuestion)}));
        QCOMPARE(LoadDictionaryFile(m_folder.file("user.dic4")).characters.size(), 10U);
    }

    // Save && Write saves (159), then the main window asks 156: No sends nothing, Yes writes.
    void editorSaveAndWriteAsks156AndNoSendsNothing_data() {
        QTest::addColumn<bool>("agree");
        QTest::newRow("no") << false;
        QTest::newRow("yes") << true;
    }
    void editorSaveAndWriteAsks156AndNoSendsNothing() {
        QFETCH(bool, agree);
        const std::string log = m_folder.file(agree ? "yes.log" : "no.log");
        SimPort sim(kSimPort, {"--log", log});
        WriteFileBytes(m_folder.file("user.dic4"), DictionaryFileBytes(Characters("AB")));
        ScriptedPrompts prompts;
        prompts.answer(true);
        prompts.answer(agree);
        ModalPresser ok("torv::CComuDlg", CComuDlg::kIdOk);
        ModalPresser saveAndWrite("torv::CDicDlg", CDicDlg::kIdSaveWrite);
        m_state.OperationCode = kNoOperation;
        auto window = windowOnSim();
        Get<QPushButton>(window.get(), kIdEditDictionary)->click();
        QCOMPARE(saveAndWrite.presses, 1);
        QCOMPARE(prompts.record,
                 (QStringList{WarningQuestion(StringId::kOverwriteDictionaryFileQuestion),
                              Prompt(Box::kQuestion, Caption::kWarningBang, Icon::kExclamation,
                                     StringId::kOverwriteDictionaryQuestion)}));
        QCOMPARE(ok.presses, agree ? 1 : 0);
        QCOMPARE(m_state.OperationCode, agree ? int(kWriteDictionary) : int(kNoOperation));
        sim.sim.stop();
        const std::vector<std::string> frames = LoggedFrames(log);
        QCOMPARE(frames.size(), agree ? 1U + 2 * 4 + 3 : 0U);
        if (agree) {
            QCOMPARE(ok.lastStatus, TextOf(StringId::kDictionaryWriteCompleted));
            QCOMPARE(frames.back(), std::string("U 10 00"));
        }
    }
};

QTEST_MAIN(DictionaryWindowTest)
#include "dictionary_window_test.moc"
