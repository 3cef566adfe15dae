#include "dictionary/dictionary_file.h"

#include "dictionary/cell_symbols.h"
#include "files/atomic_file.h"

namespace torv {
namespace {

// The reading buffer holds 15 characters and its terminator: a line and its line end must fit.
constexpr std::size_t kLineBufferChars = 15;

void AppendRow(std::uint8_t planeA, std::uint8_t planeB, std::string& block) {
    for (int column = 1; column <= kGridSize; ++column) {
        WriteCellSymbol(planeA & ColumnBit(column), planeB & ColumnBit(column), block);
    }
    block += kLineEnd;
}

void AppendCodeLine(std::uint8_t code, std::string& block) {
    // The line end's code is an empty code line: written as the character itself, its line would end
    // early and put the rows out of step.
    if (code != kLineEndCode) {
        block += static_cast<char>(code);
    }
    block += kLineEnd;
}

// A row line's first 7 symbols as a row value, column 1 in bit 6, and its "-" cells the same way;
// false for a line that has fewer or holds another character among them.
bool ParseRow(const std::string& line, std::uint8_t& row, std::uint8_t& missing) {
    constexpr char kMissingSymbol = '-';
    if (line.size() < kGridSize) {
        return false;  // the line end is no cell symbol
    }
    row = 0;
    missing = 0;
    for (int column = 0; column < kGridSize; ++column) {
        const char symbol = line[static_cast<std::size_t>(column)];
        const int bit = CellSymbolValue(symbol);
        if (bit < 0) {
            return false;
        }
        row = static_cast<std::uint8_t>((row << 1) | bit);
        missing = static_cast<std::uint8_t>((missing << 1) | (symbol == kMissingSymbol ? 1 : 0));
    }
    return true;
}

}  // namespace

std::string CharacterBlockFromPattern(const CharacterPattern& pattern) {
    std::string block;
    AppendCodeLine(kUnassignedCode, block);
    for (int row = 1; row <= kGridSize; ++row) {
        AppendRow(PlaneARow(pattern, row), PlaneBRow(pattern, row), block);
    }
    return block;
}

std::string CharacterBlock(const DictionaryCharacter& character) {
    std::string block;
    AppendCodeLine(character.code, block);
    for (std::uint8_t row : character.rows) {
        AppendRow(row, row, block);
    }
    return block;
}

std::string CharacterBlockFromRecord(const DictionaryRecord& record) {
    return CharacterBlock(CharacterOfRecord(record));
}

std::string DictionaryFileBytes(std::span<const DictionaryCharacter> characters) {
    std::string bytes;
    for (const DictionaryCharacter& character : characters) {
        bytes += CharacterBlock(character);
    }
    return bytes;
}

bool SaveDictionaryFile(const std::string& path, std::span<const DictionaryCharacter> characters,
                        std::string* failureText) {
    AtomicFileWriter file(path);
    if (file.isOpen()) {
        file.write(DictionaryFileBytes(characters));
        if (file.commit()) {
            return true;
        }
    }
    if (failureText != nullptr) {
        *failureText = file.failureText();
    }
    return false;
}

BlockRead DictionaryReader::next(DictionaryCharacter& character) {
    std::string line;
    const LineRead codeLine = m_lines.readLine(line, kLineBufferChars);
    if (codeLine == LineRead::kEnd) {
        return BlockRead::kEnd;
    }
    if (codeLine == LineRead::kTooLong) {
        return BlockRead::kInvalid;
    }
    character.code = line.empty() ? kLineEndCode : static_cast<std::uint8_t>(line[0]);
    for (std::size_t row = 0; row < character.rows.size(); ++row) {
        if (m_lines.readLine(line, kLineBufferChars) != LineRead::kLine ||
            !ParseRow(line, character.rows[row], character.missing[row])) {
            return BlockRead::kInvalid;
        }
    }
    return BlockRead::kCharacter;
}

LoadedDictionary LoadDictionaryFile(const std::string& path) {
    LoadedDictionary loaded;
    DictionaryReader reader(path);
    if (!reader.isOpen()) {
        return loaded;
    }
    DictionaryCharacter character;
    while (loaded.characters.size() < kDictionaryMaxChars) {
        const BlockRead read = reader.next(character);
        if (read == BlockRead::kInvalid) {
            loaded.status = DictionaryStatus::kInvalid;
            return loaded;
        }
        if (read == BlockRead::kEnd) {
            break;
        }
        loaded.characters.push_back(character);
    }
    loaded.status = DictionaryStatus::kLoaded;
    return loaded;
}

std::string InvalidBlockText(const std::string& path, std::size_t charactersRead) {
    constexpr std::size_t kLinesPerBlock = 1 + kGridSize;
    return path + ": the block of character " + std::to_string(charactersRead + 1) + " (from line " +
           std::to_string(charactersRead * kLinesPerBlock + 1) +
           ") is not a code line followed by seven rows of seven cells, each \" \", \"-\", \"+\" or \"*\".";
}

}  // namespace torv
