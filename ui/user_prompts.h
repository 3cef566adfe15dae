#pragma once
// Message boxes and the file chooser of the desktop tool, behind one interface so that tests can
// answer them. Every window asks through Prompts().

#include <QString>
#include <QStringList>

#include "engine/operation_host.h"

class QWidget;

namespace torv {

class UserPrompts {
  public:
    virtual ~UserPrompts() = default;
    // A Yes/No question; true means Yes.
    virtual bool ask(QWidget* parent, Caption caption, Icon icon, const QString& text,
                     Answer defaultAnswer) = 0;
    // The same with what the answer concerns under the question (the changes a write makes). Without
    // an override the facts are left out.
    virtual bool askDetailed(QWidget* parent, Caption caption, Icon icon, const QString& text,
                             const QString& detail, Answer defaultAnswer) {
        (void)detail;
        return ask(parent, caption, icon, text, defaultAnswer);
    }
    virtual void show(QWidget* parent, Caption caption, Icon icon, const QString& text) = 0;
    // A message with the facts behind it (port, device, file, line, the system's reason) under the
    // text. Without an override the facts are left out.
    virtual void showDetailed(QWidget* parent, Caption caption, Icon icon, const QString& text,
                              const QString& detail) {
        (void)detail;
        show(parent, caption, icon, text);
    }
    // The platform's file-open dialog; `filters` are "Description (pattern)" entries. Empty when the
    // user cancelled.
    virtual QString chooseFileToOpen(QWidget* parent, const QStringList& filters) = 0;
    // The platform's file-save dialog, which asks before an existing file is replaced. Empty when the
    // user cancelled.
    virtual QString chooseFileToSave(QWidget* parent, const QStringList& filters) = 0;
};

// The prompts in force: the platform's message boxes unless a test installed its own.
UserPrompts& Prompts();
// Installs prompts (not owned); nullptr restores the platform's.
void SetPrompts(UserPrompts* prompts);

// The tool's own texts are 8-bit; this is how they reach a widget.
inline QString ToQString(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace torv
