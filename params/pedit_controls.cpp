#include "params/pedit_controls.h"

#include <algorithm>

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "params/parameter_set.h"
#include "ui/control_ids.h"
#include "ui/dialog_key_rule.h"

namespace torv {
namespace {

// The "Write filename" field shows a whole path comfortably.
constexpr int kFileNameWidthChars = 40;

QComboBox* BankCombo(QWidget* parent, int id) {
    auto* combo = new QComboBox(parent);
    for (int bank = 0; bank < kBankCount; ++bank) {
        combo->addItem(QString::number(bank));
    }
    SetControlId(combo, id);
    return combo;
}

QPushButton* Button(QWidget* parent, const char* text, int id) {
    return MakePushButton(id, QString::fromLatin1(text), parent);
}

}  // namespace

std::vector<QWidget*> PeditControls::restingWhileSheetIsWritten() const {
    return {editBank, destinationBank, copyBank,       writeFilename, createCsv, saveExit,
            exit,     compare,         showDifferences};
}

QWidget* BuildBankCopyPanel(QWidget* parent, PeditControls& controls) {
    auto* panel = new QWidget(parent);
    controls.editBank = BankCombo(panel, kIdEditBank);
    controls.destinationBank = BankCombo(panel, kIdDestinationBank);
    controls.destinationBank->setCurrentIndex(-1);
    controls.copyBank = Button(panel, "COPY", kIdCopyBank);

    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Edit bank No."), panel), 0, 0);
    grid->addWidget(controls.editBank, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Destination bank No."), panel), 1, 0);
    grid->addWidget(controls.destinationBank, 1, 1);
    grid->addWidget(controls.copyBank, 2, 1);
    // The compare marks the banks of the list above it.
    controls.compare = Button(panel, "Compare with TORV...", 0);
    controls.compare->setObjectName(QStringLiteral("compare"));
    controls.showDifferences = Button(panel, "Show differences", 0);
    controls.showDifferences->setObjectName(QStringLiteral("showDifferences"));
    controls.showDifferences->setEnabled(false);
    // One under the other: side by side they made the column too wide for a small screen at 125 %.
    grid->addWidget(controls.compare, 3, 0, 1, 2);
    grid->addWidget(controls.showDifferences, 4, 0, 1, 2);
    return panel;
}

QWidget* BuildFilePanel(QWidget* parent, PeditControls& controls) {
    auto* panel = new QWidget(parent);
    controls.writeFilename = new QLineEdit(panel);
    controls.writeFilename->setMinimumWidth(controls.writeFilename->fontMetrics().averageCharWidth() *
                                            kFileNameWidthChars);
    SetControlId(controls.writeFilename, kIdWriteFilename);
    // In a button text a single '&' marks a shortcut; "&&" shows one ampersand.
    controls.createCsv = Button(panel, "Create CSV file", kIdCreateCsv);
    controls.saveExit = Button(panel, "Save && Exit", kIdSaveExit);
    controls.saveWrite = Button(panel, "Save && Write to TORV", kIdSaveWrite);
    controls.exit = Button(panel, "Exit", kIdPeditExit);

    auto* line = new QHBoxLayout(panel);
    line->setContentsMargins(0, 0, 0, 0);
    line->addWidget(new QLabel(QStringLiteral("Write filename"), panel));
    line->addWidget(controls.writeFilename, 1);
    for (QPushButton* button : {controls.createCsv, controls.saveExit, controls.saveWrite, controls.exit}) {
        line->addWidget(button);
    }
    return panel;
}

}  // namespace torv
