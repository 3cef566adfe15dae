#pragma once
// The editor's own controls, beside the parameter controls the catalogue generates: the bank choice and
// the bank copy, the "Write filename" field and the four buttons that save, export or leave.

#include <vector>

class QComboBox;
class QLineEdit;
class QPushButton;
class QString;
class QWidget;

namespace torv {

enum PeditControlId : int {
    kIdEditBank = 1171,
    kIdDestinationBank = 1230,
    kIdCopyBank = 1184,
    kIdCreateCsv = 1235,
    kIdSaveExit = 1231,
    kIdSaveWrite = 1237,
    kIdPeditExit = 1232,  // "Exit" (the main window's own Exit is kIdExit)
    kIdWriteFilename = 1233,
};

struct PeditControls {
    QComboBox* editBank = nullptr;         // the bank on show, "0" .. "15"
    QComboBox* destinationBank = nullptr;  // COPY's target, no selection at first
    QPushButton* copyBank = nullptr;
    QLineEdit* writeFilename = nullptr;
    QPushButton* createCsv = nullptr;
    QPushButton* saveExit = nullptr;
    QPushButton* saveWrite = nullptr;
    QPushButton* exit = nullptr;
    QPushButton* compare = nullptr;          // "Compare with TORV..."
    QPushButton* showDifferences = nullptr;  // enabled after a compare

    // The controls that rest while the sheet is written; "Save && Write to TORV" is not among them.
    std::vector<QWidget*> restingWhileSheetIsWritten() const;
};

// Creates the bank choice, the destination and COPY as children of `parent`, laid out in the returned
// panel.
QWidget* BuildBankCopyPanel(QWidget* parent, PeditControls& controls);
// Creates "Write filename" and the four buttons, laid out on one line in the returned panel.
QWidget* BuildFilePanel(QWidget* parent, PeditControls& controls);

}  // namespace torv
