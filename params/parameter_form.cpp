#include "params/parameter_form.h"

#include <algorithm>
#include <string>

#include <QAbstractItemView>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "link/frames.h"
#include "ui/control_ids.h"
#include "ui/user_prompts.h"

namespace torv {
namespace {

// Label and control pairs side by side on one line of each section: "SETUP FLOW" is the longest
// section, so it runs in two columns and the three sections come out about as tall as each other.
constexpr std::array<int, kParameterSections.size()> kPairsPerLine = {2, 1, 1};
constexpr int kBelowPairsPerLine = 1;
// A pair takes a label column, a control column and a gap column that parts it from the next pair.
constexpr int kColumnsPerPair = 3;
constexpr int kPairGapChars = 3;
// Value controls are this many average characters wide: room for "-999" and for every list entry.
constexpr int kControlWidthChars = 11;
constexpr int kWidestListPercent = 125;  // of the other controls' width
constexpr int kUnitMargin = 4;           // pixels between a unit and the field's right edge

// The last group followed by a step caption: the "*" note stands under its caption.
constexpr std::size_t kLastStepGroup = [] {
    std::size_t last = 0;
    for (std::size_t i = 0; i < kEditorGroups.size(); ++i) {
        if (!kEditorGroups[i].stepText.empty()) {
            last = i;
        }
    }
    return last;
}();

// Labels keep the catalogue's UTF-8 ("1-DAY±"); values are the sensor's 8-bit codes.
QString LabelText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string FromWidgetText(const QString& text) {
    const QByteArray bytes = text.toLatin1();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QLabel* StepCaption(std::string_view text, QWidget* parent) {
    auto* caption = new QLabel(LabelText(text), parent);
    QFont font = caption->font();
    font.setBold(true);
    caption->setFont(font);
    return caption;
}

int DigitCount(std::int32_t value) {
    return static_cast<int>(std::to_string(value < 0 ? -static_cast<std::int64_t>(value) : value).size());
}

// The unit at the right end of a number field, greyed, the text kept clear of it.
void ShowUnitInside(QLineEdit* field, const QString& unit) {
    auto* label = new QLabel(unit, field);
    label->setObjectName(QStringLiteral("unit"));
    label->setEnabled(false);  // the palette's greyed text, light or dark
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* layout = new QHBoxLayout(field);
    layout->setContentsMargins(0, 0, kUnitMargin, 0);
    layout->addStretch();
    layout->addWidget(label);
    field->setTextMargins(0, 0, label->sizeHint().width() + kUnitMargin, 0);
}

// A number field takes only what its row can hold: digits, a minus sign where the range goes below
// zero, no more digits than the range needs. Its tooltip gives the range, and a value the clamp
// changes shows changed as soon as the operator leaves the field.
QLineEdit* NumberField(QWidget* parent, const ParameterRow& row) {
    const NumberRange& range = row.range;
    auto* field = new QLineEdit(parent);
    const int digits = std::max(DigitCount(range.min), DigitCount(range.max));
    const QString pattern =
        (range.min < 0 ? QStringLiteral("-?") : QString()) + QStringLiteral("[0-9]{0,%1}").arg(digits);
    field->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), field));
    field->setMaxLength(digits + (range.min < 0 ? 1 : 0));
    const QString unit =
        QString::fromUtf8(ParameterUnit(row).data(), static_cast<qsizetype>(ParameterUnit(row).size()));
    field->setToolTip(QStringLiteral("%1 .. %2%3 (below: stored as %4, above: stored as %5)")
                          .arg(range.min)
                          .arg(range.max)
                          .arg(unit.isEmpty() ? QString() : QLatin1Char(' ') + unit)
                          .arg(range.storedBelow)
                          .arg(range.storedAbove));
    if (!unit.isEmpty()) {
        ShowUnitInside(field, unit);
    }
    QObject::connect(field, &QLineEdit::editingFinished, field, [field, range] {
        const std::int32_t stored = ClampNumber(field->text().toStdString(), range);
        if (field->text() != QString::number(stored)) {
            field->setText(QString::number(stored));
        }
    });
    return field;
}

QLineEdit* TextField(QWidget* parent, const NumberRange& range) {
    auto* field = new QLineEdit(parent);
    field->setMaxLength(range.max);
    field->setToolTip(QStringLiteral("At most %1 characters").arg(range.max));
    return field;
}

// A list entry as the editor shows it: the rate setting's numbers with the rates they name ("5
// (57600)"; 0 keeps the rate the sensor has), every other entry as it stands.
QString ListEntryText(const ParameterRow& row, std::size_t index) {
    const QString entry = ToQString(row.list[index]);
    if (row.key != "COMMUNIC") {
        return entry;
    }
    return index == 0                      ? entry + QStringLiteral(" (keep the rate)")
           : index - 1 < kBaudRates.size() ? QStringLiteral("%1 (%2)").arg(entry).arg(kBaudRates[index - 1])
                                           : entry;
}

// "Stored as: 0 NORM, 1 REVS"
QString ListToolTip(const ParameterRow& row) {
    QStringList entries;
    for (std::size_t i = 0; i < row.list.size(); ++i) {
        entries << QStringLiteral("%1 %2").arg(i).arg(ToQString(row.list[i]));
    }
    return QStringLiteral("Stored as: ") + entries.join(QStringLiteral(", "));
}

}  // namespace

ParameterForm::ParameterForm(QWidget* parent) : m_parent(parent) {
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        m_controls[i] = createControl(i);
    }
    for (std::size_t s = 0; s < kParameterSections.size(); ++s) {
        buildSection(s);
    }
    m_below = new QWidget(parent);
    auto* below = new QVBoxLayout(m_below);
    below->setContentsMargins(0, 0, 0, 0);
    for (const EditorGroupInfo& info : kEditorGroups) {
        if (info.section == kNoSection) {
            below->addWidget(buildRows(info.group, kBelowPairsPerLine));
        }
    }
}

QWidget* ParameterForm::createControl(std::size_t index) {
    const ParameterRow& row = kParameterCatalogue[index];
    QWidget* control = nullptr;
    if (row.kind == ParameterKind::kList) {
        auto* combo = new QComboBox(m_parent);
        for (std::size_t i = 0; i < row.list.size(); ++i) {
            combo->addItem(ListEntryText(row, i));
        }
        combo->setToolTip(ListToolTip(row));
        control = combo;
    } else {
        control =
            row.kind == ParameterKind::kNumber ? NumberField(m_parent, row) : TextField(m_parent, row.range);
    }
    if (row.kind != ParameterKind::kText) {
        // One width for every value control, so the columns line up; a list with a longer entry
        // grows a little, and its open list shows every entry whole. More would push the OTHERS column
        // off a small screen for one entry ("0 (keep the rate)").
        const int width = control->fontMetrics().averageCharWidth() * kControlWidthChars;
        if (auto* combo = qobject_cast<QComboBox*>(control)) {
            combo->view()->setMinimumWidth(combo->sizeHint().width());
            combo->setFixedWidth(
                std::clamp(combo->sizeHint().width(), width, width * kWidestListPercent / 100));
        } else {
            control->setFixedWidth(width);
        }
    }
    SetControlId(control, row.editor.controlId);
    return control;
}

void ParameterForm::buildSection(std::size_t section) {
    auto* box = new QGroupBox(ToQString(kParameterSections[section].title), m_parent);
    auto* layout = new QVBoxLayout(box);
    for (std::size_t g = 0; g < kEditorGroups.size(); ++g) {
        const EditorGroupInfo& info = kEditorGroups[g];
        if (info.section != section) {
            continue;
        }
        QWidget* rows = buildRows(info.group, kPairsPerLine[section]);
        if (!info.title.empty()) {
            auto* inner = new QGroupBox(LabelText(info.title), box);
            (new QVBoxLayout(inner))->addWidget(rows);
            rows = inner;
        }
        layout->addWidget(rows);
        if (!info.stepText.empty()) {
            layout->addWidget(StepCaption(info.stepText, box));
        }
        if (g == kLastStepGroup) {
            layout->addWidget(new QLabel(LabelText(kBankNote), box));
        }
    }
    layout->addStretch();
    m_sections[section] = box;
}

// The label and control of every row of `group`, in catalogue order, `pairsPerLine` pairs a line; the
// STRING field takes a line of its own, as wide as the line.
QWidget* ParameterForm::buildRows(EditorGroup group, int pairsPerLine) {
    auto* rows = new QWidget(m_parent);
    auto* grid = new QGridLayout(rows);
    grid->setContentsMargins(0, 0, 0, 0);
    int line = 0;
    int pair = 0;
    for (std::size_t i = 0; i < kParameterCatalogue.size(); ++i) {
        const ParameterRow& row = kParameterCatalogue[i];
        if (row.editor.group != group) {
            continue;
        }
        const bool wholeLine = row.kind == ParameterKind::kText;
        if (pair == pairsPerLine || (wholeLine && pair > 0)) {
            ++line;
            pair = 0;
        }
        auto* label = new QLabel(LabelText(EditorLabel(row)), rows);
        label->setBuddy(m_controls[i]);
        const int column = kColumnsPerPair * pair;
        grid->addWidget(label, line, column);
        grid->addWidget(m_controls[i], line, column + 1, 1,
                        wholeLine ? kColumnsPerPair * pairsPerLine - 2 : 1);
        pair = wholeLine ? pairsPerLine : pair + 1;
    }
    // An empty column between two pairs keeps a control apart from the next pair's label.
    for (int gap = 1; gap < pairsPerLine; ++gap) {
        grid->setColumnMinimumWidth(kColumnsPerPair * gap - 1,
                                    rows->fontMetrics().averageCharWidth() * kPairGapChars);
    }
    return rows;
}

void ParameterForm::insertAtTop(std::size_t section, QWidget* widget) {
    static_cast<QVBoxLayout*>(m_sections.at(section)->layout())->insertWidget(0, widget);
}

void ParameterForm::show(const ParameterSet& set, int bank) {
    const FieldInputs values = ReadFieldInputs(set, bank);
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        if (auto* combo = qobject_cast<QComboBox*>(m_controls[i])) {
            combo->setCurrentIndex(values[i].index);
        } else if (auto* edit = qobject_cast<QLineEdit*>(m_controls[i])) {
            edit->setText(ToQString(values[i].text));
        }
    }
}

FieldInputs ParameterForm::inputs() const {
    FieldInputs values;
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        if (const auto* combo = qobject_cast<const QComboBox*>(m_controls[i])) {
            values[i].index = combo->currentIndex();
        } else if (const auto* edit = qobject_cast<const QLineEdit*>(m_controls[i])) {
            values[i].text = FromWidgetText(edit->text());
        }
    }
    return values;
}

void ParameterForm::setEnabled(bool enabled) {
    for (QWidget* control : m_controls) {
        control->setEnabled(enabled);
    }
}

}  // namespace torv
