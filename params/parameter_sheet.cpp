#include "params/parameter_sheet.h"

#include "files/atomic_file.h"
#include "files/text_file.h"
#include "params/catalogue.h"
#include "params/fields.h"
#include "resources/strings.h"

namespace torv {
namespace {

constexpr char kSeparator = ',';

std::string SheetRow(const ParameterSet& set, const ParameterRow& row) {
    std::string line(row.sheetKey);
    line += kSeparator;
    if (row.field.scope == ParameterScope::kCommon) {
        return line + FieldValueText(set, 0, row);
    }
    for (int b = 0; b < kBankCount; ++b) {
        line += kSeparator;
        line += FieldValueText(set, b, row);
    }
    return line;
}

}  // namespace

std::vector<std::string> ParameterSheetLines(const ParameterSet& set) {
    std::vector<std::string> lines;
    lines.reserve(kSheetLineCount);
    lines.emplace_back(Text(StringId::kSheetHeader));
    std::size_t nextSection = 0;
    for (int sheetRow = 1; sheetRow <= kSheetRowCount; ++sheetRow) {
        if (nextSection < kParameterSections.size() &&
            kParameterSections[nextSection].firstSheetRow == sheetRow) {
            lines.emplace_back(kParameterSections[nextSection++].title);
        }
        if (const std::optional<std::size_t> index = SheetRowParameter(sheetRow)) {
            lines.push_back(SheetRow(set, kParameterCatalogue[*index]));
        }
    }
    return lines;
}

SaveStatus WriteParameterSheet(const std::string& path, const ParameterSet& set) {
    AtomicFileWriter writer(path);
    if (!writer.isOpen()) {
        return SaveStatus::CannotCreate;
    }
    for (const std::string& line : ParameterSheetLines(set)) {
        writer.writeLine(line);
    }
    return writer.commit() ? SaveStatus::Saved : SaveStatus::CannotCreate;
}

}  // namespace torv
