#pragma once
// Answers the tool's message boxes and file chooser for a test, and records what they showed.
// Installed for as long as it lives.

#include <QStringList>
#include <deque>
#include <functional>

#include "resources/strings.h"
#include "ui/user_prompts.h"

namespace torv::test {

enum class Box { kQuestion, kMessage };

QString TextOf(StringId id);
// A prompt as the record keeps it: "ask" or "show", caption, icon and text on one line.
QString Prompt(Box box, Caption caption, Icon icon, StringId text);
// The two kinds most windows use: a failure ("Error", stop) and a warning asked Yes/No.
QString ErrorBox(StringId text);
QString WarningQuestion(StringId text);

class ScriptedPrompts : public UserPrompts {
  public:
    // Questions take the queued answers first, then `otherwise`.
    explicit ScriptedPrompts(bool otherwise = true) : m_otherwise(otherwise) { SetPrompts(this); }
    ~ScriptedPrompts() override { SetPrompts(nullptr); }

    void answer(bool yes) { m_answers.push_back(yes); }

    QStringList record;   // every prompt in order; a file chooser as "chooser"
    QStringList details;  // the facts under each message that had some
    QString chosenFile;   // what the chooser returns; empty: the user cancelled
    QStringList lastFilters;
    std::function<void()> whileAsking;  // runs inside each question, before it is answered

    bool ask(QWidget*, Caption caption, Icon icon, const QString& text, Answer) override;
    bool askDetailed(QWidget* parent, Caption caption, Icon icon, const QString& text, const QString& detail,
                     Answer answer) override {
        details << detail;
        return ask(parent, caption, icon, text, answer);
    }
    void show(QWidget*, Caption caption, Icon icon, const QString& text) override;
    void showDetailed(QWidget*, Caption caption, Icon icon, const QString& text,
                      const QString& detail) override;
    QString chooseFileToOpen(QWidget*, const QStringList& filters) override {
        return choose("chooser", filters);
    }
    QString chooseFileToSave(QWidget*, const QStringList& filters) override {
        return choose("save chooser", filters);
    }

  private:
    QString choose(const char* kind, const QStringList& filters);

    std::deque<bool> m_answers;
    bool m_otherwise;
};

}  // namespace torv::test
