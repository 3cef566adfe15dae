#include "ngdata/ng_text.h"

#include "dictionary/cell_symbols.h"
#include "files/text_file.h"
#include "ngdata/ng_time_text.h"
#include "resources/strings.h"

namespace torv {
namespace {

// The formats' names as both files write them.
struct FormatNames {
    const char* date;
    const char* time;
    const char* string;
};
constexpr FormatNames kFormatNames{"Date", "Time", "String"};

// Text mode: each newline becomes CR LF.
std::string WithLineEnds(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') {
            out += kLineEnd;
        } else {
            out += c;
        }
    }
    return out;
}

std::string Number(int value) {
    return std::to_string(value);
}

std::string Str(StringId id) {
    return std::string(Text(id));
}

std::string Char(std::uint8_t c) {
    return std::string(1, static_cast<char>(c));
}

// --- The NG data file -----------------------------------------------------------------------------

std::string DataFileFormatLine(int k, const NgFormat& format) {
    const std::string head = Number(k) + " - ";
    const bool found = format.value != kFormatNotFound;
    const std::string nothing = Str(StringId::kNgFileNothing) + "\n";
    switch (format.kind) {
        case NgFormatKind::kDate:
            return head + kFormatNames.date + (found ? " = " + NgDateText(format.value) : " " + nothing);
        case NgFormatKind::kTime:
            return head + kFormatNames.time +
                   (found ? " = " + NgTimeText(format.value) + "\n" : " " + nothing);
        case NgFormatKind::kString:
            return head + kFormatNames.string + (found ? std::string("\n") : " " + nothing);
        case NgFormatKind::kNone:
            break;
    }
    return head + Str(StringId::kNgFileFormatNothing) + "\n";
}

std::string DataFileLimitLines(const NgResultRecord& record) {
    std::string text;
    const std::string upper = Str(StringId::kNgFileUpperLimit);
    const std::string lower = Str(StringId::kNgFileLowerLimit);
    for (std::size_t k = 0; k < kNgLimitCount; ++k) {
        const std::string head = Number(static_cast<int>(k) + 1) + " - Date ";
        text += head + upper + " = " + NgDateText(record.dateUpper[k]);
        text += head + lower + " = " + NgDateText(record.dateLower[k]);
    }
    for (std::size_t k = 0; k < kNgLimitCount; ++k) {
        const std::string head = Number(static_cast<int>(k) + 1) + " - Time ";
        text += head + upper + " = " + NgTimeText(record.timeUpper[k]) + "\n";
        text += head + lower + " = " + NgTimeText(record.timeLower[k]) + "\n";
    }
    return text;
}

std::string DataFileCharacterLine(const NgCharacterResult& c) {
    std::string line = c.startsLine ? "\n" : "";
    line += Char(c.numerical) + " " + Char(c.alphabetic) + " ";
    line += "(" + Str(StringId::kNgFileGap) + "=" + Number(c.numericalDifference) + "," +
            Number(c.alphabeticDifference) + ")";
    line += ", (" + Str(StringId::kNgFileDictionary) + "=" + Number(c.numericalDictionary) + "," +
            Number(c.alphabeticDictionary) + ")\n";
    return line;
}

std::string DataFilePatternBlock(const CharacterPattern& pattern) {
    std::string text;
    for (int row = 1; row <= kGridSize; ++row) {
        for (int column = 1; column <= kGridSize; ++column) {
            WriteCellSymbol(PlaneARow(pattern, row) & ColumnBit(column),
                            PlaneBRow(pattern, row) & ColumnBit(column), text);
        }
        text += "\n";
    }
    return text + "\n";
}

// --- The NG data CSV -------------------------------------------------------------------------------

std::string CsvFormatLine(int k, const NgFormat& format) {
    const std::string head = Number(k) + "-";
    const bool found = format.value != kFormatNotFound;
    const std::string notFound = "," + Str(StringId::kCsvNotFound) + "\n";
    switch (format.kind) {
        case NgFormatKind::kDate:
            return head + kFormatNames.date + (found ? "," + NgDateText(format.value) : notFound);
        case NgFormatKind::kTime:
            return head + kFormatNames.time + (found ? "," + NgTimeText(format.value) + "\n" : notFound);
        case NgFormatKind::kString:
            return head + kFormatNames.string + (found ? std::string("\n") : notFound);
        case NgFormatKind::kNone:
            break;
    }
    return Number(k) + " - " + Str(StringId::kCsvFormatNothing) + "\n";
}

std::string CsvLimitLines(const NgResultRecord& record) {
    std::string text;
    const std::string upper = Str(StringId::kCsvUpperLimit);
    const std::string lower = Str(StringId::kCsvLowerLimit);
    for (std::size_t k = 0; k < kNgLimitCount; ++k) {
        const std::string head = Number(static_cast<int>(k) + 1) + "-Date ";
        text += head + upper + "," + NgDateText(record.dateUpper[k]);
        text += head + lower + "," + NgDateText(record.dateLower[k]);
    }
    for (std::size_t k = 0; k < kNgLimitCount; ++k) {
        const std::string head = Number(static_cast<int>(k) + 1) + "-Time ";
        text += head + upper + "," + NgTimeText(record.timeUpper[k]) + "\n";
        text += head + lower + "," + NgTimeText(record.timeLower[k]) + "\n";
    }
    return text;
}

// The seven character rows: a caption, then one cell per character (an empty cell before each
// character that starts a new line of text).
struct CharacterRow {
    StringId caption;
    std::string (*cell)(const NgCharacterResult&);
};

constexpr CharacterRow kCharacterRows[] = {
    {StringId::kCsvBestCharacter, [](const NgCharacterResult& c) { return Char(c.best()); }},
    {StringId::kCsvNumericalCharacter, [](const NgCharacterResult& c) { return Char(c.numerical); }},
    {StringId::kCsvNumericalDifference,
     [](const NgCharacterResult& c) { return Number(c.numericalDifference); }},
    {StringId::kCsvNumericalDictionary,
     [](const NgCharacterResult& c) { return Number(c.numericalDictionary); }},
    {StringId::kCsvAlphabeticCharacter, [](const NgCharacterResult& c) { return Char(c.alphabetic); }},
    {StringId::kCsvAlphabeticDifference,
     [](const NgCharacterResult& c) { return Number(c.alphabeticDifference); }},
    {StringId::kCsvAlphabeticDictionary,
     [](const NgCharacterResult& c) { return Number(c.alphabeticDictionary); }},
};

std::string CsvCharacterRows(const NgResultRecord& record) {
    std::string text;
    for (const CharacterRow& row : kCharacterRows) {
        text += Str(row.caption) + ",";
        for (int i = 0; i < record.count; ++i) {
            const NgCharacterResult& c = record.characters[static_cast<std::size_t>(i)];
            text += (c.startsLine ? "," : "") + row.cell(c) + ",";
        }
        text += "\n";
    }
    return text;
}

char CsvCell(int planeA, int planeB) {
    const char symbol = CellSymbol(planeA, planeB);
    return symbol == ' ' ? '.' : symbol;  // "*", "+", "-" as in the dictionary file; "." for neither
}

std::string CsvPatternSection(int count, const NgPatternBlocks& patterns) {
    std::string text = Str(StringId::kCsvPatternBlock) + ",";
    for (int row = 1; row <= kGridSize; ++row) {
        for (int j = 0; j < count; ++j) {
            const CharacterPattern pattern = NgPattern(patterns, j);
            for (int column = 1; column <= kGridSize; ++column) {
                text += CsvCell(PlaneARow(pattern, row) & ColumnBit(column),
                                PlaneBRow(pattern, row) & ColumnBit(column));
                text += ",";
            }
            text += ",";
        }
        text += "\n,";
    }
    return text + "\n";
}

}  // namespace

std::string ClampedCountNote(const NgResultRecord& record) {
    if (!record.countClamped()) {
        return {};
    }
    return "the sensor reported " + Number(record.reportedCount) + " characters; a record holds " +
           Number(kMaxNgCharacters);
}

std::string NgDataFileText(const NgResultRecord& record, const NgPatternBlocks& patterns) {
    const std::string note = ClampedCountNote(record);
    std::string text = Str(StringId::kNgFileCharacterNumber) + " = " + Number(record.count) +
                       (note.empty() ? "" : " (" + note + ")") + "\n";
    text += Str(StringId::kNgFileBankNumber) + " = " + Number(record.bank) + "\n";
    text += Str(StringId::kNgFileSavedDateTime) + " = " + NgDateTimeText(record.savedDay, record.savedMinute);
    for (int k = 0; k < kNgFormatCount; ++k) {
        text += DataFileFormatLine(k + 1, record.formats[static_cast<std::size_t>(k)]);
    }
    text += DataFileLimitLines(record);
    for (int i = 0; i < record.count; ++i) {
        text += DataFileCharacterLine(record.characters[static_cast<std::size_t>(i)]);
    }
    text += "\n";
    for (int j = 0; j < record.count; ++j) {
        text += DataFilePatternBlock(NgPattern(patterns, j));
    }
    return WithLineEnds(text);
}

std::string NgCsvRecordText(int recordNumber, const NgResultRecord& record, const NgPatternBlocks& patterns) {
    std::string text = Str(StringId::kCsvNgDataNumber) + "," + Number(recordNumber) + "\n";
    const std::string note = ClampedCountNote(record);
    text += Str(StringId::kCsvCharacterCount) + "," + Number(record.count) +
            (note.empty() ? "" : "," + note) + "\n";
    text += Str(StringId::kCsvBankNumber) + "," + Number(record.bank) + "\n";
    text +=
        Str(StringId::kCsvSavedDateTime) + "," + NgDateTimeText(record.savedDay, record.savedMinute) + "\n";
    for (int k = 0; k < kNgFormatCount; ++k) {
        text += CsvFormatLine(k + 1, record.formats[static_cast<std::size_t>(k)]);
    }
    text += CsvLimitLines(record);
    text += CsvCharacterRows(record);
    text += CsvPatternSection(record.count, patterns);
    return WithLineEnds(text);
}

}  // namespace torv
