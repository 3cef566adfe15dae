// A stored NG inspection as any sensor may deliver it: the result record (768 bytes), the three pattern
// blocks and the image lines. The record decodes as its layout says, its count clamped to the 48
// patterns the blocks hold; the NG data file, the NG data CSV and the image file each carry exactly
// those values and dots; the character read from NG data appends blocks that read back as plane A.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "dictionary/dictionary_file.h"
#include "fuzz/fuzz_support.h"
#include "ngdata/ng_image.h"
#include "ngdata/ng_record.h"
#include "ngdata/ng_text.h"

namespace torv::fuzz {
namespace {

struct SlotInput {
    ResultRecordBytes record{};
    NgPatternBlocks patterns{};
    NgImageLines lines{};
};

// The input fills the record, then the pattern blocks, then the image lines; the rest stays zero.
std::unique_ptr<SlotInput> SlotOf(const std::uint8_t* data, std::size_t size) {
    auto slot = std::make_unique<SlotInput>();
    for (std::uint8_t* part : {slot->record.data(), slot->patterns.data(), slot->lines.data()}) {
        const std::size_t capacity = part == slot->lines.data() ? slot->lines.size() : kResultRecordSize;
        const std::size_t n = std::min(size, capacity);
        std::memcpy(part, data, n);
        data += n;
        size -= n;
    }
    return slot;
}

// The record's fields read straight from their offsets, for comparison.
struct Reference {
    const SlotInput& slot;

    int reportedCount() const { return slot.record[568]; }
    int count() const { return std::min(reportedCount(), kMaxNgCharacters); }
    int at(int offset) const { return slot.record[static_cast<std::size_t>(offset)]; }
    int numericalDifference(int i) const { return at(208 + 2 * i); }
    int numerical(int i) const { return at(209 + 2 * i) & 0x7F; }
    bool startsLine(int i) const { return (at(209 + 2 * i) & 0x80) != 0; }
    int alphabeticDifference(int i) const { return at(328 + 2 * i); }
    int alphabetic(int i) const { return at(329 + 2 * i) & 0x7F; }
    int numericalDictionary(int i) const { return at(448 + 2 * i); }
    int alphabeticDictionary(int i) const { return at(449 + 2 * i); }
    int word(int offset) const { return at(offset) | (at(offset + 1) << 8); }
    int planeA(int j, int row) const {
        return slot.patterns[static_cast<std::size_t>(16 * j + 7 - row)] & 0x7F;
    }
    int planeB(int j, int row) const {
        return slot.patterns[static_cast<std::size_t>(16 * j + 15 - row)] & 0x7F;
    }
    // " ", "-", "+", "*" in the NG data file; the CSV writes "." for " ".
    char cell(int j, int row, int column) const {
        const int bit = 0x40 >> (column - 1);
        const bool a = (planeA(j, row) & bit) != 0;
        const bool b = (planeB(j, row) & bit) != 0;
        return a ? (b ? '*' : '+') : (b ? '-' : ' ');
    }
    bool anyLineBreakCharacter() const {
        for (int i = 0; i < count(); ++i) {
            for (int c : {numerical(i), alphabetic(i)}) {
                if (c == '\n' || c == '\r' || c == ',') {
                    return true;
                }
            }
        }
        return false;
    }
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    Require(start == text.size(), "the text ends with CR LF");
    return lines;
}

void CheckRecord(const NgResultRecord& record, const Reference& ref) {
    Require(record.reportedCount == ref.reportedCount(), "the count is byte 568");
    Require(record.count == ref.count(), "the count is clamped to 48");
    Require(record.patternBlocks() >= 0 && record.patternBlocks() <= kPatternBlockCount,
            "at most 3 pattern blocks");
    for (int i = 0; i < record.count; ++i) {
        const NgCharacterResult& c = record.characters[static_cast<std::size_t>(i)];
        Require(
            c.numericalDifference == ref.numericalDifference(i) && c.numerical == ref.numerical(i) &&
                c.alphabeticDifference == ref.alphabeticDifference(i) && c.alphabetic == ref.alphabetic(i) &&
                c.numericalDictionary == ref.numericalDictionary(i) &&
                c.alphabeticDictionary == ref.alphabeticDictionary(i) && c.startsLine == ref.startsLine(i),
            "each character's bytes are at their offsets");
    }
    for (int k = 0; k < kNgFormatCount; ++k) {
        const NgFormat& f = record.formats[static_cast<std::size_t>(k)];
        Require(static_cast<int>(f.kind) == ((ref.at(578) >> (6 - 2 * k)) & 3) &&
                    f.value == ref.word(570 + 2 * k),
                "format k's kind and value");
    }
    Require(
        record.savedDay == ref.word(580) && record.savedMinute == ref.word(582) && record.bank == ref.at(584),
        "saved date, time and bank");
    for (int k = 0; k < kNgLimitCount; ++k) {
        const auto i = static_cast<std::size_t>(k);
        Require(
            record.dateUpper[i] == ref.word(586 + 2 * k) && record.dateLower[i] == ref.word(590 + 2 * k) &&
                record.timeUpper[i] == ref.word(594 + 2 * k) && record.timeLower[i] == ref.word(598 + 2 * k),
            "the limits");
    }
}

void CheckDataFile(const std::string& text, const Reference& ref) {
    const std::vector<std::string> lines = Lines(text);
    const std::string countLine = "Character number = " + std::to_string(ref.count());
    Require(lines.size() > 1 && lines[0].rfind(countLine, 0) == 0, "the first line gives the count");
    Require((lines[0].size() > countLine.size()) == (ref.reportedCount() > kMaxNgCharacters),
            "the count line notes a clamped count");
    // The pattern blocks end the file: seven rows and an empty line each.
    const std::size_t patternLines = 8 * static_cast<std::size_t>(ref.count());
    Require(lines.size() >= patternLines + 1, "the file holds every pattern block");
    const std::size_t first = lines.size() - patternLines;
    Require(lines[first - 1].empty(), "an empty line stands before the patterns");
    for (int j = 0; j < ref.count(); ++j) {
        for (int row = 1; row <= kGridSize; ++row) {
            const std::string& line =
                lines[first + 8 * static_cast<std::size_t>(j) + static_cast<std::size_t>(row) - 1];
            Require(line.size() == kGridSize, "a pattern row has seven cells");
            for (int column = 1; column <= kGridSize; ++column) {
                Require(line[static_cast<std::size_t>(column) - 1] == ref.cell(j, row, column),
                        "a pattern cell");
            }
        }
        Require(lines[first + 8 * static_cast<std::size_t>(j) + 7].empty(),
                "an empty line after each pattern");
    }
    if (ref.anyLineBreakCharacter()) {
        return;  // characters are written as the sensor sent them; a line end among them moves the lines
    }
    // 3 header lines, 4 format lines, 8 limit lines, then the characters.
    std::size_t at = 15;
    for (int i = 0; i < ref.count(); ++i) {
        if (ref.startsLine(i)) {
            Require(lines[at++].empty(), "an empty line before a character that starts a line");
        }
        const std::string expected = std::string(1, static_cast<char>(ref.numerical(i))) + " " +
                                     std::string(1, static_cast<char>(ref.alphabetic(i))) +
                                     " (Gap[N,A]=" + std::to_string(ref.numericalDifference(i)) + "," +
                                     std::to_string(ref.alphabeticDifference(i)) +
                                     "), (Dictionary[N,A]=" + std::to_string(ref.numericalDictionary(i)) +
                                     "," + std::to_string(ref.alphabeticDictionary(i)) + ")";
        Require(lines[at++] == expected, "a character line");
    }
    Require(at == first - 1, "the character lines end before the patterns");
}

// The cells after a row's caption, split at the commas.
std::vector<std::string> CellsAfter(const std::vector<std::string>& lines, const std::string& caption) {
    for (const std::string& line : lines) {
        if (line.rfind(caption + ",", 0) == 0) {
            std::vector<std::string> cells;
            std::size_t start = caption.size() + 1;
            for (std::size_t comma = line.find(',', start); comma != std::string::npos;
                 comma = line.find(',', start)) {
                cells.push_back(line.substr(start, comma - start));
                start = comma + 1;
            }
            Require(start == line.size(), "a character row ends with a comma");
            return cells;
        }
    }
    Require(false, "every character row is there");
    return {};
}

void CheckCsv(const std::string& text, const Reference& ref) {
    const std::vector<std::string> lines = Lines(text);
    Require(lines.size() > 2 && lines[0] == "NG data number,7", "the record number line");
    Require(lines[1].rfind("Number of character," + std::to_string(ref.count()), 0) == 0, "the count line");
    struct NumberRow {
        const char* caption;
        int (Reference::*value)(int) const;
    };
    for (const NumberRow& row :
         {NumberRow{"Numerical difference", &Reference::numericalDifference},
          NumberRow{"Numerical dictionary number", &Reference::numericalDictionary},
          NumberRow{"Alphabetic difference", &Reference::alphabeticDifference},
          NumberRow{"Alphabetic dictionary number", &Reference::alphabeticDictionary}}) {
        std::vector<std::string> expected;
        for (int i = 0; i < ref.count(); ++i) {
            if (ref.startsLine(i)) {
                expected.emplace_back();
            }
            expected.push_back(std::to_string((ref.*row.value)(i)));
        }
        Require(CellsAfter(lines, row.caption) == expected, "a number row of the CSV");
    }
    // The pattern section: its caption and row 1, rows 2..7 after a comma each, then a lone comma.
    const std::string caption = "Block data of recognized character,";
    Require(lines.size() >= 8 && lines.back() == ",", "the pattern section ends with a lone comma");
    for (int row = 1; row <= kGridSize; ++row) {
        std::string line = lines[lines.size() - 8 + static_cast<std::size_t>(row) - 1];
        const std::string head = row == 1 ? caption : ",";
        Require(line.rfind(head, 0) == 0, "a pattern row's head");
        line.erase(0, head.size());
        std::string expected;
        for (int j = 0; j < ref.count(); ++j) {
            for (int column = 1; column <= kGridSize; ++column) {
                const char c = ref.cell(j, row, column);
                expected += c == ' ' ? '.' : c;
                expected += ',';
            }
            expected += ',';
        }
        Require(line == expected, "a pattern row of the CSV");
    }
}

void CheckBitmap(const std::vector<std::uint8_t>& bitmap, const NgImageLines& lines) {
    Require(bitmap.size() == static_cast<std::size_t>(kBitmapFileSize), "the image file is 187446 bytes");
    Require(IsNgBitmapHeader(std::span(bitmap.data(), kBitmapHeaderSize)), "the image header");
    for (int k = 0; k < kImageLineCount; ++k) {
        const int line = kImageLineCount - 1 - k;
        for (int column = 0; column < kNgImageWidth; ++column) {
            const std::size_t at = static_cast<std::size_t>(line * kImageLineBytes + 2 * column);
            const int w = lines[at] | (lines[at + 1] << 8);
            const std::size_t colour =
                kBitmapHeaderSize + static_cast<std::size_t>(k * kBitmapRowBytes + 3 * column);
            const std::size_t gray = colour + static_cast<std::size_t>(kImageLineCount * kBitmapRowBytes);
            Require(bitmap[colour] == ((w >> 7) & 7) * 32 && bitmap[colour + 1] == ((w >> 13) & 7) * 32 &&
                        bitmap[colour + 2] == ((w >> 10) & 7) * 32,
                    "a colour pixel");
            const int level = ((w >> 1) & 63) * 4;
            Require(bitmap[gray] == level && bitmap[gray + 1] == level && bitmap[gray + 2] == level,
                    "a gray pixel");
        }
    }
}

// What the character read from NG data appends: "?" and plane A of each pattern, as a dictionary reads it.
void CheckDictionaryBlocks(const NgPatternBlocks& patterns, const Reference& ref) {
    static const std::string path = ScratchPath("from-ng.dic4");
    std::string bytes;
    for (int j = 0; j < ref.count(); ++j) {
        bytes += CharacterBlockFromPattern(NgPattern(patterns, j));
    }
    WriteBytes(path, std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    DictionaryReader reader(path);
    for (int j = 0; j < ref.count(); ++j) {
        DictionaryCharacter character;
        Require(reader.next(character) == BlockRead::kCharacter && character.code == kUnassignedCode,
                "an appended block reads back with code ?");
        for (int row = 1; row <= kGridSize; ++row) {
            Require(character.rows[static_cast<std::size_t>(row) - 1] == ref.planeA(j, row),
                    "an appended block keeps plane A");
        }
    }
    DictionaryCharacter none;
    Require(reader.next(none) == BlockRead::kEnd, "nothing follows the appended blocks");
}

}  // namespace
}  // namespace torv::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace torv;
    using namespace torv::fuzz;
    const std::unique_ptr<SlotInput> slot = SlotOf(data, size);
    const Reference ref{*slot};
    const NgResultRecord record = DecodeResultRecord(slot->record);
    CheckRecord(record, ref);
    CheckDataFile(NgDataFileText(record, slot->patterns), ref);
    CheckCsv(NgCsvRecordText(7, record, slot->patterns), ref);
    CheckDictionaryBlocks(slot->patterns, ref);
    // The image only when the input reaches it: the comparison is the slowest part.
    if (size > 2 * static_cast<std::size_t>(kResultRecordSize)) {
        CheckBitmap(NgBitmapBytes(slot->lines), slot->lines);
    }
    return 0;
}
