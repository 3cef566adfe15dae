#pragma once
// What the parameter editor's tests share: scripted message boxes, the editor's controls by id or by
// parameter key, and parameter files formed byte by byte without the code under test.

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "app/user_prompts.h"
#include "params/pedit_dlg.h"

namespace torv::pedit_test {

struct PromptRecord {
    bool question;  // Yes/No, or only shown
    Caption caption;
    Icon icon;
    QString text;
};

// Installed while it lives. Questions are answered from a queue; one asked with nothing queued is
// answered No and stays in the record, where a test that did not expect it sees it.
class PeditPrompts : public UserPrompts {
  public:
    PeditPrompts() { SetPrompts(this); }
    ~PeditPrompts() override { SetPrompts(nullptr); }

    void answer(bool yes) { m_answers.push_back(yes); }
    std::function<void()> whileAsking;  // runs inside each question, before it is answered
    std::vector<PromptRecord> records;

    bool ask(QWidget*, Caption caption, Icon icon, const QString& text, Answer) override;
    void show(QWidget*, Caption caption, Icon icon, const QString& text) override;
    QString chooseFileToOpen(QWidget*, const QStringList&) override { return {}; }

  private:
    std::deque<bool> m_answers;
};

bool Is(const PromptRecord& record, bool question, Caption caption, Icon icon, StringId text);

// The control of a catalogue parameter, found through its row's control id.
QWidget* ParameterControl(const QWidget* dialog, std::string_view key);
QString ShownValue(const QWidget* dialog, std::string_view key);  // edit text or combo text
void Type(const QWidget* dialog, std::string_view key, const QString& text);

// The initial set with BANK set to `selection` and a SHUTTER of 10 + b in bank b, so that the value
// on screen tells which bank is on show.
ParameterSet SetSelectingBank(int selection);
// The bytes of a parameter file, formed here line by line; written to `name` + ".torv".
std::string ParameterFileBytes(const ParameterSet& set);
std::string WriteParameterFile(const std::string& name, const ParameterSet& set);

// The state as the main window leaves it before it opens the editor on `name`.
OperationState StateFor(const std::string& name);
std::unique_ptr<CPeditDlg> OpenEditor(OperationState& state);  // constructed and shown

}  // namespace torv::pedit_test
