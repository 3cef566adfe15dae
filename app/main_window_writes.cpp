// What a parameter write does around itself when the preferences ask for it: the changes it will
// make listed under its question, a backup of the sensor's set before it, a verification after it.

#include <QDateTime>
#include <QLineEdit>
#include <QTemporaryDir>

#include "app/data_loader_dlg.h"
#include "app/main_window_ids.h"
#include "files/file_kind.h"
#include "params/fields.h"
#include "params/parameter_diff.h"
#include "params/parameter_file.h"
#include "params/parameter_operations.h"
#include "ui/control_ids.h"
#include "ui/file_name_field.h"
#include "ui/user_prompts.h"

namespace torv {
namespace {

constexpr OperationInfo kReadForCompare{
    .code = kReadParameters, .body = ReadParametersOperation, .completion = StringId::kReadCompleted};
constexpr OperationInfo kVerify{
    .code = kReadParameters, .body = VerifyParametersOperation, .completion = StringId::kReadCompleted};

// "Bank 3: SHUTTER: 70 -> 90", "Common: word 7: 12 -> 13": the sensor's value, then the file's.
QString ChangeLine(const ParameterDifference& d) {
    return ToQString(DifferenceSubject(d) + ": " + FirstValueText(d) + " -> " + SecondValueText(d));
}

}  // namespace

std::optional<QString> CDataLoaderDlg::changesTheWriteMakes() {
    QTemporaryDir folder;
    if (!folder.isValid()) {
        return std::nullopt;
    }
    const std::string sensorName = FileNameBytes(folder.filePath(QStringLiteral("sensor")));
    if (runTransfer(kReadForCompare, sensorName) != OperationOutcome::kCompleted) {
        return std::nullopt;
    }
    const LoadedParameters sensor = LoadParameterFile(MakeFilePath(sensorName, kParameterFile));
    const LoadedParameters file = LoadParameterFile(
        MakeFilePath(FileNameBytes(FindControl<QLineEdit>(this, kIdParameterName)->text()), kParameterFile));
    if (sensor.status != LoadStatus::Loaded || file.status != LoadStatus::Loaded) {
        return QString();  // the write itself says what is wrong with the file
    }
    QStringList lines;
    for (const ParameterDifference& d : DiffParameterSets(sensor.set, file.set, FieldValueText)) {
        lines << ChangeLine(d);
    }
    return lines.isEmpty()
               ? QStringLiteral("no differences")
               : QStringLiteral("%1 changes:\n").arg(lines.size()) + lines.join(QLatin1Char('\n'));
}

// Into NAME-backup-YYYYMMDD-HHMMSS.torv beside the file written; the write goes ahead only when the
// whole set has been read.
bool CDataLoaderDlg::backUpSensorParameters() {
    const std::string name = FileNameBytes(FindControl<QLineEdit>(this, kIdParameterName)->text());
    const std::string backup =
        name + "-backup-" +
        QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")).toStdString();
    if (runTransfer(kReadForCompare, backup) == OperationOutcome::kCompleted) {
        return true;
    }
    Prompts().show(this, Caption::kWarning, Icon::kExclamation,
                   QStringLiteral("No backup was made, so nothing was written to TORV."));
    return false;
}

void CDataLoaderDlg::verifyWrittenParameters() {
    const std::string name = FileNameBytes(FindControl<QLineEdit>(this, kIdParameterName)->text());
    if (runTransfer(kVerify, name) == OperationOutcome::kCompleted) {
        Prompts().show(this, Caption::kTorv, Icon::kInformation,
                       QStringLiteral("Verified: TORV holds every word of %1 that a write sends.")
                           .arg(FileNameText(MakeFilePath(name, kParameterFile))));
    }
}

}  // namespace torv
