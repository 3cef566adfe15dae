// "Compare with TORV...": the sensor's parameters read through the transfer dialog into a temporary
// file, then every field whose value differs from the editor's marked, on the bank on show and on the
// bank list; "Show differences" lists them all, words no parameter names included.

#include <QBrush>
#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>

#include "files/file_kind.h"
#include "params/parameter_diff.h"
#include "params/parameter_file.h"
#include "params/parameter_operations.h"
#include "params/pedit_dlg.h"
#include "ui/comu_dlg.h"
#include "ui/file_name_field.h"
#include "ui/user_prompts.h"
#include "ui/window_modal.h"

namespace torv {
namespace {

// A field whose value the sensor holds otherwise.
constexpr const char* kDifferingStyle = "background-color: #ffd27f; color: black;";
const QColor kDifferingBank(0xC0, 0x50, 0x00);

std::size_t CatalogueIndex(const ParameterRow& row) {
    return static_cast<std::size_t>(&row - kParameterCatalogue.data());
}

// "Bank 3: SHUTTER: file 90, TORV 70", "Common: word 7: file 12, TORV 13"
QString DifferenceLine(const ParameterDifference& d) {
    return ToQString(DifferenceSubject(d) + ": file " + FirstValueText(d) + ", TORV " + SecondValueText(d));
}

}  // namespace

void CPeditDlg::onCompareWithSensor() {
    takeControls();  // the edits on show are part of what is compared
    QTemporaryDir folder;
    if (!folder.isValid()) {
        showError(StringId::kCreateFileFailed);
        return;
    }
    const std::string sensorFile = FileNameBytes(folder.filePath(QStringLiteral("sensor")));
    // The read borrows the operation fields; the editor's own file and request stay as they were.
    const std::string keptName = m_state.OperationFileName;
    const int keptCode = m_state.OperationCode;
    const bool keptRequest = m_state.EditRequest;
    m_state.OperationCode = kReadParameters;
    m_state.OperationFileName = sensorFile;
    const OperationInfo read{
        .code = kReadParameters, .body = ReadParametersOperation, .completion = StringId::kReadCompleted};
    CComuDlg dialog(m_state, read, this);
    ExecWindowModal(dialog);
    m_state.OperationFileName = keptName;
    m_state.OperationCode = keptCode;
    m_state.EditRequest = keptRequest;
    const LoadedParameters loaded = LoadParameterFile(MakeFilePath(sensorFile, kParameterFile));
    if (loaded.status != LoadStatus::Loaded) {
        return;  // failed or cancelled: the transfer dialog has said why
    }
    m_sensorSet = loaded.set;
    m_controls.showDifferences->setEnabled(true);
    markDifferences();
}

std::vector<ParameterDifference> CPeditDlg::differencesFromSensor() const {
    return m_sensorSet ? DiffParameterSets(m_set, *m_sensorSet, FieldValueText)
                       : std::vector<ParameterDifference>{};
}

void CPeditDlg::markDifferences() {
    if (!m_sensorSet) {
        return;
    }
    std::vector<bool> differs(kParameterCount, false);
    std::vector<bool> bankDiffers(kBankCount, false);
    std::vector<QString> sensorValue(kParameterCount);
    for (const ParameterDifference& d : differencesFromSensor()) {
        if (d.scope == ParameterScope::kBank) {
            bankDiffers[static_cast<std::size_t>(d.bank)] = true;
        }
        if (d.row != nullptr && (d.scope == ParameterScope::kCommon || d.bank == m_bank)) {
            differs[CatalogueIndex(*d.row)] = true;
            sensorValue[CatalogueIndex(*d.row)] = ToQString(d.second);
        }
    }
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        QWidget* control = m_form.control(i);
        control->setProperty(kDiffersProperty, static_cast<bool>(differs[i]));
        control->setStyleSheet(differs[i] ? QString::fromLatin1(kDifferingStyle) : QString());
        control->setToolTip(differs[i] ? QStringLiteral("TORV holds: %1").arg(sensorValue[i]) : QString());
    }
    for (int bank = 0; bank < kBankCount; ++bank) {
        const bool marked = bankDiffers[static_cast<std::size_t>(bank)];
        m_controls.editBank->setItemData(bank, marked ? QBrush(kDifferingBank) : QBrush(),
                                         Qt::ForegroundRole);
        m_controls.editBank->setItemData(bank, marked ? QStringLiteral("differs from TORV") : QString(),
                                         Qt::ToolTipRole);
    }
}

void CPeditDlg::onShowDifferences() {
    takeControls();
    const std::vector<ParameterDifference> differences = differencesFromSensor();
    QStringList lines;
    for (const ParameterDifference& d : differences) {
        lines << DifferenceLine(d);
    }
    Prompts().showDetailed(this, Caption::kTorv, Icon::kInformation,
                           differences.empty()
                               ? QStringLiteral("The file and TORV hold the same parameters.")
                               : QStringLiteral("%1 differences from TORV").arg(differences.size()),
                           lines.join(QLatin1Char('\n')));
}

}  // namespace torv
