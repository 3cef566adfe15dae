#include "params/parameter_file.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "files/atomic_file.h"
#include "files/file_status.h"
#include "files/text_file.h"

namespace torv {
namespace {

constexpr std::string_view kVersionHeader = "Software version";
constexpr std::string_view kCommonHeader = "Common parameter";
constexpr std::string_view kBankHeader = "Bank parameter No.";
constexpr char kVersionLetter = kVersionHeader.front();
constexpr char kCommonLetter = kCommonHeader.front();
constexpr char kBankLetter = kBankHeader.front();

constexpr std::size_t kMaxWordDigits = 5;
constexpr std::int32_t kMaxWord = 0xFFFF;

bool BeginsWith(const std::string& line, char letter) {
    return !line.empty() && line.front() == letter;
}

// A word as the tool writes it: one to five decimal digits, 0..65535, nothing else on the line. A
// looser reading would send what nobody wrote ("12x7" as 12, "-1" as 65535, "" as 0).
std::optional<std::int32_t> WordValue(std::string_view text) {
    if (text.empty() || text.size() > kMaxWordDigits) {
        return std::nullopt;
    }
    std::int32_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value <= kMaxWord ? std::optional(value) : std::nullopt;
}

// A line as a message quotes it: control bytes as \xHH, so that none reaches a terminal.
std::string Quoted(std::string_view line) {
    return '"' + WithControlsEscaped(line) + '"';
}

void WriteWords(AtomicFileWriter& writer, std::span<const std::int32_t> words) {
    for (std::int32_t word : words) {
        writer.writeLine(std::to_string(word));
    }
}

}  // namespace

bool ParameterFileReader::readLine(std::size_t bufferChars, std::string expected) {
    ++m_lineNumber;
    m_expected = std::move(expected);
    m_lastRead = m_lines.readLine(m_line, bufferChars);
    return m_lastRead == LineRead::kLine;
}

bool ParameterFileReader::readHeaderStartingWith(char letter, std::string expected) {
    return readLine(kHeaderLineChars, std::move(expected)) && BeginsWith(m_line, letter);
}

template <std::size_t N>
bool ParameterFileReader::readValues(std::array<std::int32_t, N>& words) {
    for (std::int32_t& word : words) {
        if (!readLine(kValueLineChars, "a number 0..65535")) {
            return false;
        }
        const std::optional<std::int32_t> value = WordValue(m_line);
        if (!value) {
            return false;
        }
        word = *value;
    }
    return true;
}

bool ParameterFileReader::readHeader(std::int32_t& version) {
    if (!readLine(kHeaderLineChars,
                  "\"" + std::string(kVersionHeader) + "\" or \"" + std::string(kCommonHeader) + "\"")) {
        return false;
    }
    version = kDefaultParameterVersion;
    if (!BeginsWith(m_line, kVersionLetter)) {
        return true;  // the common header, or a line that stands for it
    }
    if (!readLine(kValueLineChars, "the software version")) {
        return false;
    }
    version = ParseUnsignedDecimal(m_line);
    return readHeaderStartingWith(kCommonLetter, "\"" + std::string(kCommonHeader) + "\"");
}

bool ParameterFileReader::readCommonWords(CommonWords& words) {
    return readValues(words);
}

bool ParameterFileReader::readBank(BankWords& words) {
    const std::string header = "\"" + std::string(kBankHeader) + std::to_string(m_bank++) + "\"";
    return readHeaderStartingWith(kBankLetter, header) && readValues(words);
}

std::string ParameterFileReader::problem() const {
    const std::string where = "line " + std::to_string(m_lineNumber) + ": expected " + m_expected;
    switch (m_lastRead) {
        case LineRead::kEnd:
            return where + ", but the file ends there.";
        case LineRead::kTooLong:
            return where + ", but the line is too long.";
        case LineRead::kLine:
            break;
    }
    return where + ", but it reads " + Quoted(std::string_view(m_line).substr(0, kHeaderLineChars)) + ".";
}

LoadedParameters LoadParameterFile(const std::string& path) {
    ParameterFileReader reader(path);
    if (!reader.isOpen()) {
        return {LoadStatus::NotFound, InitialParameterSet(), NotReadableText(path)};
    }
    ParameterSet set;
    bool complete = reader.readHeader(set.version) && reader.readCommonWords(set.common);
    for (BankWords& bank : set.bank) {
        complete = complete && reader.readBank(bank);
    }
    if (!complete) {
        return {LoadStatus::Invalid, InitialParameterSet(), path + ", " + reader.problem()};
    }
    return {LoadStatus::Loaded, set, {}};
}

SaveStatus SaveParameterFile(const std::string& path, const ParameterSet& set) {
    AtomicFileWriter writer(path);
    if (!writer.isOpen()) {
        return SaveStatus::CannotCreate;
    }
    writer.writeLine(kVersionHeader);
    writer.writeLine(std::to_string(set.version));
    writer.writeLine(kCommonHeader);
    WriteWords(writer, set.common);
    for (int b = 0; b < kBankCount; ++b) {
        writer.writeLine(std::string(kBankHeader) + std::to_string(b));
        WriteWords(writer, set.bank[static_cast<std::size_t>(b)]);
    }
    return writer.commit() ? SaveStatus::Saved : SaveStatus::CannotCreate;
}

}  // namespace torv
