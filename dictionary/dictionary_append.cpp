#include "dictionary/dictionary_append.h"

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <utility>

#include "files/file_status.h"
#include "files/text_file.h"

namespace torv {
namespace {

namespace fs = std::filesystem;

// Whether a file's last byte is something other than a line end (a file edited by hand may lack the
// last one); an empty file needs none.
bool EndsWithoutLineEnd(const std::string& path, std::uintmax_t size) {
    if (size == 0) {
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    int last = '\n';
    if (std::fseek(file, -1, SEEK_END) == 0) {
        last = std::fgetc(file);
    }
    std::fclose(file);
    return last != '\n';
}

}  // namespace

DictionaryAppender::DictionaryAppender(std::string path) : m_path(std::move(path)) {}

DictionaryAppender::~DictionaryAppender() {
    if (m_file != nullptr) {
        std::fclose(m_file);
    }
}

bool DictionaryAppender::canAppend() {
    switch (PathKindOf(m_path)) {
        case PathKind::kRegular:
            if (CanReplaceFile(m_path)) {
                return true;
            }
            break;
        case PathKind::kMissing: {
            const std::string folder = fs::path(m_path).parent_path().string();
            if (FolderAcceptsFiles(folder)) {
                return true;
            }
            std::error_code error;
            const bool folderExists = fs::is_directory(folder.empty() ? std::string(".") : folder, error);
            m_failure = SystemErrorText(m_path, folderExists ? EACCES : ENOENT);
            return false;
        }
        case PathKind::kOther:
            break;
    }
    m_failure = NotWritableText(m_path);
    return false;
}

bool DictionaryAppender::open() {
    std::error_code error;
    m_created = PathKindOf(m_path) == PathKind::kMissing;
    m_size = m_created ? 0 : fs::file_size(m_path, error);
    if (error) {
        m_size = 0;
    }
    m_needsLineEnd = EndsWithoutLineEnd(m_path, m_size);
    m_file = std::fopen(m_path.c_str(), "ab");
    if (m_file == nullptr) {
        fail(errno);
        return false;
    }
    return true;
}

bool DictionaryAppender::append(std::string_view block) {
    if (m_file == nullptr && !open()) {
        return false;
    }
    std::string bytes(m_needsLineEnd ? kLineEnd : std::string_view());
    bytes += block;
    if (std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size() || std::fflush(m_file) != 0) {
        const int writeError = errno;
        std::fclose(m_file);
        m_file = nullptr;
        // Never half a block: the file goes back to what it held, and a file this run made goes.
        std::error_code error;
        if (m_created && m_appended == 0) {
            fs::remove(m_path, error);
        } else {
            fs::resize_file(m_path, m_size, error);
        }
        fail(writeError);
        return false;
    }
    m_size += bytes.size();
    m_needsLineEnd = false;
    ++m_appended;
    return true;
}

void DictionaryAppender::fail(int error) {
    m_failure = SystemErrorText(m_path, error);
}

}  // namespace torv
