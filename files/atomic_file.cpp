#include "files/atomic_file.h"

#include <cerrno>
#include <filesystem>
#include <random>
#include <system_error>

#include "files/file_status.h"
#include "files/text_file.h"

namespace torv {
namespace {

namespace fs = std::filesystem;

constexpr int kTemporaryNameAttempts = 8;
constexpr int kSuffixDigits = 12;

std::string TemporaryNameFor(const std::string& target) {
    thread_local std::mt19937_64 generator{std::random_device{}()};  // fleets write from many threads
    constexpr std::string_view kDigits = "0123456789abcdef";
    std::string suffix = ".part-";
    std::uint64_t value = generator();
    for (int i = 0; i < kSuffixDigits; ++i, value >>= 4) {
        suffix += kDigits[value & 0xF];
    }
    return target + suffix;
}

std::FILE* CreateTemporary(const std::string& target, std::string& temporary) {
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        temporary = TemporaryNameFor(target);
        if (std::FILE* file = std::fopen(temporary.c_str(), "wbx"); file != nullptr) {
            return file;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    temporary.clear();
    return nullptr;
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(const std::string& targetPath) : m_target(ResolveLinks(targetPath)) {
    if (!CanReplaceFile(m_target)) {
        m_failure = NotWritableText(m_target);
        return;
    }
    m_targetExisted = PathKindOf(m_target) == PathKind::kRegular;
    m_file = CreateTemporary(m_target, m_temporary);
    // The folder refuses new files but the file itself may be written: write it in place at commit.
    m_inMemory = m_file == nullptr && m_targetExisted;
    if (!isOpen()) {
        m_failure = SystemErrorText(m_target, errno);
    }
}

AtomicFileWriter::~AtomicFileWriter() {
    if (m_file != nullptr) {
        std::fclose(m_file);
        std::error_code ignored;
        fs::remove(m_temporary, ignored);
    }
}

void AtomicFileWriter::write(std::string_view bytes) {
    if (m_inMemory) {
        m_memory.append(bytes);
    } else if (m_file != nullptr && !bytes.empty() &&
               std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size()) {
        m_writeFailed = true;
        m_writeError = errno;
    }
}

void AtomicFileWriter::writeLine(std::string_view text) {
    write(text);
    write(kLineEnd);
}

bool AtomicFileWriter::commit() {
    bool committed = false;
    if (m_inMemory) {
        m_inMemory = false;
        committed = commitInPlace();
    } else {
        committed = m_file != nullptr && commitTemporary();
    }
    if (!committed && m_failure.empty()) {
        m_failure = SystemErrorText(m_target, errno);
    }
    return committed;
}

bool AtomicFileWriter::commitTemporary() {
    const bool closed = std::fclose(m_file) == 0;
    const int closeError = errno;
    m_file = nullptr;
    std::error_code error;
    if (!closed || m_writeFailed) {
        m_failure = SystemErrorText(m_target, m_writeFailed ? m_writeError : closeError);
    } else {
        if (m_targetExisted) {
            fs::permissions(m_temporary, fs::status(m_target, error).permissions(), error);
            error.clear();  // a file system without permission bits still takes the content
        }
        fs::rename(m_temporary, m_target, error);
        if (!error) {
            return true;
        }
        m_failure = SystemErrorText(m_target, error.value());
    }
    fs::remove(m_temporary, error);
    return false;
}

bool AtomicFileWriter::commitInPlace() {
    std::FILE* file = std::fopen(m_target.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(m_memory.data(), 1, m_memory.size(), file) == m_memory.size();
    return (std::fclose(file) == 0) && written;
}

}  // namespace torv
