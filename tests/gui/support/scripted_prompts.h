#pragma once
// Answers the tool's message boxes and file chooser for a test, and records what was asked. Installed
// for as long as it lives.

#include <QList>
#include <QString>
#include <QStringList>

#include "app/user_prompts.h"
#include "resources/strings.h"

namespace torv::test {

struct PromptRecord {
    enum Kind { kQuestion, kMessage, kFileChooser };
    Kind kind;
    Caption caption;
    Icon icon;
    QString text;
    QWidget* parent;
};

class ScriptedPrompts : public UserPrompts {
  public:
    ScriptedPrompts();
    ~ScriptedPrompts() override;
    ScriptedPrompts(const ScriptedPrompts&) = delete;
    ScriptedPrompts& operator=(const ScriptedPrompts&) = delete;

    // Every question gets this answer (Yes unless set).
    void answerQuestions(bool yes) { m_answer = yes; }
    // The path the file chooser returns; empty means the user cancelled.
    void chooseFile(const QString& path) { m_chosenFile = path; }

    const QList<PromptRecord>& records() const { return m_records; }
    const QStringList& lastFilters() const { return m_lastFilters; }
    // How many prompts showed this string.
    int countOf(StringId id) const;

    bool ask(QWidget* parent, Caption caption, Icon icon, const QString& text, Answer defaultAnswer) override;
    void show(QWidget* parent, Caption caption, Icon icon, const QString& text) override;
    QString chooseFileToOpen(QWidget* parent, const QStringList& filters) override;

  private:
    QList<PromptRecord> m_records;
    QStringList m_lastFilters;
    QString m_chosenFile;
    bool m_answer = true;
};

// The text of a string as the windows show it.
QString TextOf(StringId id);

}  // namespace torv::test
