#include "files/text_file.h"

#include "files/file_status.h"

namespace torv {
namespace {

// Lines longer than this are still consumed whole, but only this much of them is kept.
constexpr std::size_t kMaxKeptLine = 64 * 1024;

std::FILE* OpenRegularFile(const std::string& path) {
    return PathKindOf(path) == PathKind::kRegular ? std::fopen(path.c_str(), "rb") : nullptr;
}

}  // namespace

TextLineReader::TextLineReader(const std::string& path) : m_file(OpenRegularFile(path)) {}

TextLineReader::~TextLineReader() {
    if (m_file != nullptr) {
        std::fclose(m_file);
    }
}

LineRead TextLineReader::readLine(std::string& line, std::size_t bufferChars) {
    line.clear();
    if (m_file == nullptr) {
        return LineRead::kEnd;
    }
    std::size_t length = 0;
    bool anything = false;
    bool lineEnd = false;
    for (int c = std::fgetc(m_file); c != EOF; c = std::fgetc(m_file)) {
        anything = true;
        if (c == '\n') {
            lineEnd = true;
            break;
        }
        ++length;
        if (line.size() < kMaxKeptLine) {
            line += static_cast<char>(c);
        }
    }
    if (!anything) {
        return LineRead::kEnd;
    }
    if (lineEnd && !line.empty() && line.back() == '\r' && length <= kMaxKeptLine) {
        line.pop_back();
        --length;
    }
    const std::size_t needed = length + (lineEnd ? 1 : 0);
    return needed <= bufferChars ? LineRead::kLine : LineRead::kTooLong;
}

std::int32_t ParseUnsignedDecimal(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::uint64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + static_cast<std::uint64_t>(text[i] - '0');
        if (value > 0xFFFFFFFFu) {
            value = 0xFFFFFFFFu;  // out of range saturates, as the C library does
            negative = false;
        }
    }
    auto result = static_cast<std::uint32_t>(value);
    if (negative) {
        result = 0u - result;
    }
    return static_cast<std::int32_t>(result);
}

bool IsControlCharacter(char c) {
    constexpr unsigned char kFirstPrintable = 0x20;
    constexpr unsigned char kDelete = 0x7F;
    const auto byte = static_cast<unsigned char>(c);
    return byte < kFirstPrintable || byte == kDelete;
}

std::string WithControlsEscaped(std::string_view text) {
    constexpr std::string_view kHex = "0123456789ABCDEF";
    std::string shown;
    for (const char c : text) {
        if (IsControlCharacter(c)) {
            const auto byte = static_cast<unsigned char>(c);
            shown += "\\x";
            shown += kHex[byte >> 4];
            shown += kHex[byte & 0xF];
        } else {
            shown += c;
        }
    }
    return shown;
}

}  // namespace torv
