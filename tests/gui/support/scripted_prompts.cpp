#include "tests/gui/support/scripted_prompts.h"

#include <algorithm>
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

int ScriptedPrompts::countOf(StringId text) const {
    const QString ending = QStringLiteral(": ") + TextOf(text);
    return static_cast<int>(
        std::ranges::count_if(record, [&](const QString& line) { return line.endsWith(ending); }));
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

QString ScriptedPrompts::chooseFileToOpen(QWidget*, const QStringList& filters) {
    record << QStringLiteral("chooser");
    lastFilters = filters;
    return chosenFile;
}

}  // namespace torv::test
