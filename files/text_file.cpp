#include "files/text_file.h"

#include <cerrno>
#include <filesystem>
#include <random>
#include <system_error>

namespace torv {
namespace {

// Lines longer than this are still consumed whole, but only this much of them is kept.
constexpr std::size_t kMaxKeptLine = 64 * 1024;

std::string TemporaryNameFor(const std::string& target) {
    static std::mt19937_64 generator{std::random_device{}()};
    constexpr std::string_view kDigits = "0123456789abcdef";
    std::string suffix = ".part-";
    std::uint64_t value = generator();
    for (int i = 0; i < 12; ++i, value >>= 4) {
        suffix += kDigits[value & 0xF];
    }
    return target + suffix;
}

}  // namespace

bool FileExists(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    std::fclose(file);
    return true;
}

TextLineReader::TextLineReader(const std::string& path) : m_file(std::fopen(path.c_str(), "rb")) {}

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

AtomicFileWriter::AtomicFileWriter(std::string targetPath) : m_target(std::move(targetPath)) {
    m_targetExisted = FileExists(m_target);
    for (int attempt = 0; attempt < 8 && m_file == nullptr; ++attempt) {
        m_temporary = TemporaryNameFor(m_target);
        m_file = std::fopen(m_temporary.c_str(), "wbx");
        if (m_file == nullptr && errno != EEXIST) {
            break;
        }
    }
}

AtomicFileWriter::~AtomicFileWriter() {
    if (m_file != nullptr) {
        close();
        std::error_code ignored;
        std::filesystem::remove(m_temporary, ignored);
    }
}

void AtomicFileWriter::write(std::string_view bytes) {
    if (m_file != nullptr && !bytes.empty() &&
        std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size()) {
        m_writeFailed = true;
    }
}

void AtomicFileWriter::writeLine(std::string_view text) {
    write(text);
    write(kLineEnd);
}

void AtomicFileWriter::close() {
    if (std::fclose(m_file) != 0) {
        m_writeFailed = true;
    }
    m_file = nullptr;
}

bool AtomicFileWriter::commit() {
    if (m_file == nullptr) {
        return false;
    }
    close();
    std::error_code error;
    if (!m_writeFailed) {
        std::filesystem::rename(m_temporary, m_target, error);
    }
    if (m_writeFailed || error) {
        std::filesystem::remove(m_temporary, error);
        return false;
    }
    return true;
}

void AtomicFileWriter::keepPartial() {
    if (m_file == nullptr) {
        return;
    }
    close();
    std::error_code error;
    if (m_targetExisted || FileExists(m_target)) {
        std::filesystem::remove(m_temporary, error);
    } else {
        std::filesystem::rename(m_temporary, m_target, error);
    }
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

}  // namespace torv
