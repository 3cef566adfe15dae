#include "params/parameter_file.h"

#include <span>
#include <string>

#include "files/atomic_file.h"

namespace torv {
namespace {

constexpr std::string_view kVersionHeader = "Software version";
constexpr std::string_view kCommonHeader = "Common parameter";
constexpr std::string_view kBankHeader = "Bank parameter No.";
constexpr char kVersionLetter = kVersionHeader.front();
constexpr char kCommonLetter = kCommonHeader.front();
constexpr char kBankLetter = kBankHeader.front();

bool BeginsWith(const std::string& line, char letter) {
    return !line.empty() && line.front() == letter;
}

void WriteWords(AtomicFileWriter& writer, std::span<const std::int32_t> words) {
    for (std::int32_t word : words) {
        writer.writeLine(std::to_string(word));
    }
}

}  // namespace

bool ParameterFileReader::readLine(std::size_t bufferChars) {
    return m_lines.readLine(m_line, bufferChars) == LineRead::kLine;
}

bool ParameterFileReader::readHeaderStartingWith(char letter) {
    return readLine(kHeaderLineChars) && BeginsWith(m_line, letter);
}

template <std::size_t N>
bool ParameterFileReader::readValues(std::array<std::int32_t, N>& words) {
    for (std::int32_t& word : words) {
        if (!readLine(kValueLineChars)) {
            return false;
        }
        word = ParseUnsignedDecimal(m_line);
    }
    return true;
}

bool ParameterFileReader::readHeader(std::int32_t& version) {
    if (!readLine(kHeaderLineChars)) {
        return false;
    }
    version = kDefaultParameterVersion;
    if (!BeginsWith(m_line, kVersionLetter)) {
        return true;  // the common header, or a line that stands for it
    }
    if (!readLine(kValueLineChars)) {
        return false;
    }
    version = ParseUnsignedDecimal(m_line);
    return readHeaderStartingWith(kCommonLetter);
}

bool ParameterFileReader::readCommonWords(CommonWords& words) {
    return readValues(words);
}

bool ParameterFileReader::readBank(BankWords& words) {
    return readHeaderStartingWith(kBankLetter) && readValues(words);
}

LoadedParameters LoadParameterFile(const std::string& path) {
    ParameterFileReader reader(path);
    if (!reader.isOpen()) {
        return {LoadStatus::NotFound, InitialParameterSet()};
    }
    ParameterSet set;
    bool complete = reader.readHeader(set.version) && reader.readCommonWords(set.common);
    for (BankWords& bank : set.bank) {
        complete = complete && reader.readBank(bank);
    }
    if (!complete) {
        return {LoadStatus::Invalid, InitialParameterSet()};
    }
    return {LoadStatus::Loaded, set};
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
