// "Create CSV file": the editor's set, with the bank on show taken in first, written as the parameter
// sheet under the name in "Write filename".

#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include "files/file_kind.h"
#include "files/file_status.h"
#include "files/text_file.h"
#include "params/parameter_sheet.h"
#include "params/pedit_dlg.h"
#include "ui/file_name_field.h"
#include "ui/user_prompts.h"

namespace torv {

// The sheet is built from the set rather than from the controls bank by bank: after StoreBank the set
// holds exactly what the controls would show, so the sheet reads like the dialog. The sheet's name is
// not the parameter file's: the main window keeps its own.
void CPeditDlg::onCreateCsv() {
    const std::string path = MakeFilePath(FileNameBytes(m_controls.writeFilename->text()), kCsvFile);
    takeControls();
    setSheetWriting(true);
    const SheetOutcome outcome = writeSheet(path);
    showBank(m_bank);
    reportSheet(outcome);
    setSheetWriting(false);
    // While the sheet was written only "Save && Write to TORV" could hold the focus: an Enter now
    // must not write the sensor.
    m_controls.createCsv->setFocus();
}

CPeditDlg::SheetOutcome CPeditDlg::writeSheet(const std::string& path) {
    if (FileExists(path) && !askWarning(StringId::kSameFileOverwrite)) {
        return SheetOutcome::kDeclined;
    }
    return WriteParameterSheet(path, m_set) == SaveStatus::Saved ? SheetOutcome::kWritten
                                                                 : SheetOutcome::kCannotCreate;
}

void CPeditDlg::reportSheet(SheetOutcome outcome) {
    switch (outcome) {
        case SheetOutcome::kWritten:
            Prompts().show(this, Caption::kTorv, Icon::kInformation,
                           ToQString(Text(StringId::kSheetCompleted)));
            break;
        case SheetOutcome::kCannotCreate:
            showError(StringId::kCreateFileFailed);
            break;
        case SheetOutcome::kDeclined:
            break;  // the operator said no; nothing to report
    }
}

// Nothing but "Save && Write to TORV" stays usable while the sheet is written.
void CPeditDlg::setSheetWriting(bool writing) {
    m_form.setEnabled(!writing);
    for (QWidget* control : m_controls.restingWhileSheetIsWritten()) {
        control->setEnabled(!writing);
    }
}

}  // namespace torv
