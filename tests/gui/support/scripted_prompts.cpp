#include "tests/gui/support/scripted_prompts.h"

namespace torv::test {

QString TextOf(StringId id) {
    return ToQString(Text(id));
}

ScriptedPrompts::ScriptedPrompts() {
    SetPrompts(this);
}

ScriptedPrompts::~ScriptedPrompts() {
    SetPrompts(nullptr);
}

int ScriptedPrompts::countOf(StringId id) const {
    const QString text = TextOf(id);
    int count = 0;
    for (const PromptRecord& record : m_records) {
        count += record.text == text ? 1 : 0;
    }
    return count;
}

bool ScriptedPrompts::ask(QWidget* parent, Caption caption, Icon icon, const QString& text, Answer) {
    m_records.append({PromptRecord::kQuestion, caption, icon, text, parent});
    return m_answer;
}

void ScriptedPrompts::show(QWidget* parent, Caption caption, Icon icon, const QString& text) {
    m_records.append({PromptRecord::kMessage, caption, icon, text, parent});
}

QString ScriptedPrompts::chooseFileToOpen(QWidget* parent, const QStringList& filters) {
    m_records.append({PromptRecord::kFileChooser, Caption::kTorv, Icon::kInformation, {}, parent});
    m_lastFilters = filters;
    return m_chosenFile;
}

}  // namespace torv::test
