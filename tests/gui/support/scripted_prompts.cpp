#include "tests/gui/support/scripted_prompts.h"

#include <array>

namespace torv::test {
namespace {

QString Line(bool question, Caption caption, Icon icon, const QString& text) {
    constexpr std::array kIcons{"stop", "exclamation", "question", "information"};
    return QStringLiteral("%1 %2 %3: %4")
        .arg(QLatin1String(question ? "ask" : "show"), ToQString(CaptionText(caption)),
             QLatin1String(kIcons.at(static_cast<std::size_t>(icon))), text);
}

}  // namespace

QString TextOf(StringId id) {
    return ToQString(Text(id));
}

QString Prompt(Box box, Caption caption, Icon icon, StringId text) {
    return Line(box == Box::kQuestion, caption, icon, TextOf(text));
}

QString ErrorBox(StringId text) {
    return Prompt(Box::kMessage, Caption::kError, Icon::kStop, text);
}

QString WarningQuestion(StringId text) {
    return Prompt(Box::kQuestion, Caption::kWarning, Icon::kExclamation, text);
}

bool ScriptedPrompts::ask(QWidget*, Caption caption, Icon icon, const QString& text, Answer) {
    record << Line(true, caption, icon, text);
    if (whileAsking) {
        whileAsking();
    }
    if (m_answers.empty()) {
        return m_otherwise;
    }
    const bool yes = m_answers.front();
    m_answers.pop_front();
    return yes;
}

void ScriptedPrompts::show(QWidget*, Caption caption, Icon icon, const QString& text) {
    record << Line(false, caption, icon, text);
}

void ScriptedPrompts::showDetailed(QWidget*, Caption caption, Icon icon, const QString& text,
                                   const QString& detail) {
    show(nullptr, caption, icon, text);
    if (!detail.isEmpty()) {
        details << detail;
    }
}

QString ScriptedPrompts::choose(const char* kind, const QStringList& filters) {
    record << QLatin1String(kind);
    lastFilters = filters;
    return chosenFile;
}

}  // namespace torv::test
