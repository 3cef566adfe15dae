#pragma once
// The parameter controls of the editor, generated from the catalogue: one group box per section, the
// inner set-up groups with the step captions that follow them, and a label and a control per row
// (a drop-down list for list rows, an edit field for numbers and the STRING). The form knows how to
// show a bank and how to hand back what the operator entered; it knows nothing of files or banks on
// show.

#include <array>
#include <cstddef>

#include "params/catalogue.h"
#include "params/fields.h"
#include "params/parameter_set.h"

class QGroupBox;
class QWidget;

namespace torv {

class ParameterForm {
  public:
    // The note that explains the "*" of per-bank labels.
    static constexpr std::string_view kBankNote = "* TORV has independent setting values in each banks.";

    // Creates every control as a child of `parent`; the caller places section() and belowSections().
    explicit ParameterForm(QWidget* parent);

    // The group box of kParameterSections[index].
    QGroupBox* section(std::size_t index) const { return m_sections.at(index); }
    // The rows that stand outside every group box (Save NG status).
    QWidget* belowSections() const { return m_below; }
    // Puts `widget` above the parameter rows of a section (the bank copy controls of "OTHERS").
    void insertAtTop(std::size_t section, QWidget* widget);

    // The control of catalogue row `index`: a QComboBox or a QLineEdit.
    QWidget* control(std::size_t index) const { return m_controls.at(index); }

    // Shows the common block and `bank`: list rows select their entry (none when the stored index has
    // no entry), numbers show in decimal, the STRING shows its text.
    void show(const ParameterSet& set, int bank);
    // What the controls hold now, ready for StoreBank.
    FieldInputs inputs() const;
    // Every parameter control at once, while the sheet is written.
    void setEnabled(bool enabled);

  private:
    void buildSection(std::size_t section);
    QWidget* buildRows(EditorGroup group, int pairsPerLine);
    QWidget* createControl(std::size_t index);

    QWidget* m_parent;
    std::array<QGroupBox*, kParameterSections.size()> m_sections{};
    QWidget* m_below = nullptr;
    std::array<QWidget*, kParameterCount> m_controls{};
};

}  // namespace torv
