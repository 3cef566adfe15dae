#include "tests/gui/support/pedit_harness.h"

#include "params/catalogue.h"
#include "tests/support/temp_dir.h"

namespace torv::pedit_test {

bool PeditPrompts::ask(QWidget*, Caption caption, Icon icon, const QString& text, Answer) {
    records.push_back({true, caption, icon, text});
    if (whileAsking) {
        whileAsking();
    }
    if (m_answers.empty()) {
        return false;
    }
    const bool yes = m_answers.front();
    m_answers.pop_front();
    return yes;
}

void PeditPrompts::show(QWidget*, Caption caption, Icon icon, const QString& text) {
    records.push_back({false, caption, icon, text});
}

bool Is(const PromptRecord& record, bool question, Caption caption, Icon icon, StringId text) {
    return record.question == question && record.caption == caption && record.icon == icon &&
           record.text == ToQString(Text(text));
}

QWidget* ParameterControl(const QWidget* dialog, std::string_view key) {
    const ParameterRow* row = FindParameter(key);
    return row != nullptr ? FindControl(dialog, row->editor.controlId) : nullptr;
}

QString ShownValue(const QWidget* dialog, std::string_view key) {
    QWidget* control = ParameterControl(dialog, key);
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        return combo->currentText();
    }
    auto* edit = qobject_cast<QLineEdit*>(control);
    return edit != nullptr ? edit->text() : QStringLiteral("<no control>");
}

void Type(const QWidget* dialog, std::string_view key, const QString& text) {
    if (auto* edit = qobject_cast<QLineEdit*>(ParameterControl(dialog, key))) {
        edit->setText(text);
    }
}

ParameterSet SetSelectingBank(int selection) {
    constexpr std::int32_t kBankField = 0x1F;      // common word 0, bits 0..4
    constexpr std::int32_t kFullExtLight = 0xF00;  // EXTLGTPW "100%" beside SHUTTER in bank word 1
    ParameterSet set = InitialParameterSet();
    set.common[0] = (set.common[0] & ~kBankField) | selection;
    for (std::size_t b = 0; b < set.bank.size(); ++b) {
        set.bank[b][1] = kFullExtLight | static_cast<std::int32_t>(10 + b);
    }
    return set;
}

std::string ParameterFileBytes(const ParameterSet& set) {
    std::string text = "Software version\r\n" + std::to_string(set.version) + "\r\nCommon parameter\r\n";
    for (std::int32_t word : set.common) {
        text += std::to_string(word) + "\r\n";
    }
    for (int b = 0; b < kBankCount; ++b) {
        text += "Bank parameter No." + std::to_string(b) + "\r\n";
        for (std::int32_t word : set.bank[static_cast<std::size_t>(b)]) {
            text += std::to_string(word) + "\r\n";
        }
    }
    return text;
}

std::string WriteParameterFile(const std::string& name, const ParameterSet& set) {
    std::string bytes = ParameterFileBytes(set);
    test::WriteFileBytes(name + ".torv", bytes);
    return bytes;
}

OperationState StateFor(const std::string& name) {
    OperationState state;
    state.OperationFileName = name;
    return state;
}

std::unique_ptr<CPeditDlg> OpenEditor(OperationState& state) {
    auto editor = std::make_unique<CPeditDlg>(state);
    editor->show();
    return editor;
}

}  // namespace torv::pedit_test
