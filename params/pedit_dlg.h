#pragma once
// The parameter editor: a modal dialog in which the operator edits a parameter file bank by bank,
// copies one bank over another, saves the file, asks for it to be written to the sensor, exports the
// whole set as a CSV sheet and compares it with the sensor's. It never writes to the sensor: "Save &&
// Write to TORV" only leaves the write request for the main window; "Compare with TORV..." reads.

#include <QDialog>
#include <optional>
#include <string>
#include <vector>

#include "engine/operation_state.h"
#include "params/parameter_diff.h"
#include "params/parameter_form.h"
#include "params/parameter_set.h"
#include "params/pedit_controls.h"
#include "resources/strings.h"

class QCloseEvent;

namespace torv {

class CPeditDlg : public QDialog {
    Q_OBJECT
  public:
    // Opens on state.OperationFileName (a name without extension); clears state.EditRequest. When the
    // editor has closed, state.OperationFileName holds the name now current and state.EditRequest
    // tells whether the file is to be written to the sensor.
    explicit CPeditDlg(OperationState& state, QWidget* parent = nullptr);

    // Set on a parameter control whose value the sensor holds otherwise, after a compare.
    static constexpr const char* kDiffersProperty = "differsFromSensor";

    // The window system cannot close the editor (it has no close box, and Escape does nothing);
    // only its buttons can.
    void reject() override {}

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    // Opening.
    void buildLayout();
    void connectHandlers();
    void loadParameterFile();

    // Handlers.
    void onEditBankChanged(int bank);
    void onCopyBank();
    void onSaveExit();
    void onSaveWrite();
    void onExit();
    void onCreateCsv();

    // Steps shared by the handlers.
    void takeControls();  // the bank on show and the common block, into the set
    void showBank(int bank);
    std::string takeWriteFilename();  // "Write filename" becomes the current file name
    bool saveAndClose();

    // The sheet (parameter_sheet_action.cpp).
    enum class SheetOutcome { kWritten, kDeclined, kCannotCreate };
    SheetOutcome writeSheet(const std::string& path);
    void reportSheet(SheetOutcome outcome);
    void setSheetWriting(bool writing);

    // The compare with the sensor (sensor_compare_action.cpp).
    void onCompareWithSensor();
    void onShowDifferences();
    std::vector<ParameterDifference> differencesFromSensor() const;
    void markDifferences();  // on the bank on show and on the bank list

    // Message boxes.
    void showError(StringId text);
    bool askWarning(StringId text);

    OperationState& m_state;
    ParameterSet m_set;
    int m_bank = 0;  // the bank on show
    ParameterForm m_form;
    QWidget* m_sections = nullptr;   // the three sections, in their scroll area
    QWidget* m_filePanel = nullptr;  // "Write filename" and the buttons, always in view
    bool m_sized = false;
    PeditControls m_controls;
    std::optional<ParameterSet> m_sensorSet;  // as the last compare read it
};

}  // namespace torv
