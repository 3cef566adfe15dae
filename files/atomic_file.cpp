#include "files/atomic_file.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "files/file_status.h"
#include "files/in_place_write.h"
#include "files/text_file.h"

namespace torv {
namespace {

namespace fs = std::filesystem;

// Only a folder the user may not write is a reason to write in place. A full disk, no free inode or a
// name the folder cannot take would fail the in-place write as well, and the old content with it.
bool FolderRefusesNewFiles(int error) {
    return error == EACCES || error == EPERM;
}

bool NameTooLong(const std::string& path) {
    std::error_code error;
    static_cast<void>(fs::symlink_status(path, error));
    return error == std::errc::filename_too_long;
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(const std::string& targetPath) : m_target(ResolveLinks(targetPath)) {
    if (!CanReplaceFile(m_target)) {
        m_failure = NotWritableText(m_target);
        return;
    }
    if (NameTooLong(m_target)) {
        fail(ENAMETOOLONG);  // found now, not after every exchange of the operation
        return;
    }
    m_targetExisted = PathKindOf(m_target) == PathKind::kRegular;
    m_open = m_temporary.create(m_target);
    if (m_open) {
        return;
    }
    const int error = errno;
    m_inPlace = m_targetExisted && FolderRefusesNewFiles(error) && ReadWholeFile(m_target, m_previous);
    m_open = m_inPlace;
    if (!m_open) {
        fail(error);
    }
}

void AtomicFileWriter::write(std::string_view bytes) {
    if (m_inPlace) {
        m_memory.append(bytes);
        return;
    }
    std::FILE* file = m_temporary.stream();
    if (file != nullptr && !bytes.empty() && !m_writeFailed &&
        std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
        m_writeFailed = true;
        m_writeError = errno;
    }
}

void AtomicFileWriter::writeLine(std::string_view text) {
    write(text);
    write(kLineEnd);
}

bool AtomicFileWriter::commit() {
    return finishContent() && replaceTarget(false);
}

bool AtomicFileWriter::finishContent() {
    if (!m_open || m_inPlace) {
        return m_open;  // a writer that never opened has its failure text already
    }
    if (m_writeFailed) {
        return fail(m_writeError);
    }
    if (!m_temporary.finish()) {
        return fail(errno);
    }
    if (m_targetExisted) {
        std::error_code error;
        const fs::perms perms = fs::status(m_target, error).permissions();
        if (!error) {
            fs::permissions(m_temporary.path(), perms, error);  // without permission bits: content only
        }
    }
    return true;
}

bool AtomicFileWriter::replaceTarget(bool keepOld) {
    if (m_inPlace) {
        const int error = WriteInPlace(m_target, m_memory, m_previous);
        m_replaced = error == 0;
        return m_replaced || fail(error);
    }
    if (keepOld && m_targetExisted && !ReadWholeFile(m_target, m_previous)) {
        return fail(errno);
    }
    std::error_code error;
    fs::rename(m_temporary.path(), m_target, error);
    if (error) {
        return fail(error.value());
    }
    m_temporary.releaseName();
    m_replaced = true;
    return true;
}

void AtomicFileWriter::restoreTarget() {
    if (!m_replaced) {
        return;
    }
    m_replaced = false;
    if (m_targetExisted) {
        OverwriteInPlace(m_target, m_previous);
    } else {
        std::error_code ignored;
        fs::remove(m_target, ignored);
    }
}

bool AtomicFileWriter::fail(int error) {
    if (m_failure.empty()) {
        m_failure = SystemErrorText(m_target, error);
    }
    return false;
}

bool CommitTogether(AtomicFileWriter& first, AtomicFileWriter& second) {
    if (!first.finishContent() || !second.finishContent() || !first.replaceTarget(true)) {
        return false;
    }
    if (second.replaceTarget(false)) {
        return true;
    }
    first.restoreTarget();
    return false;
}

}  // namespace torv
