#include "files/move_aside.h"

#include <cerrno>
#include <cstdio>

#include "files/file_status.h"

#ifndef _WIN32
#include <fcntl.h>
#endif

namespace torv {
namespace {

// Where the system has no no-replace rename: look first, then rename. (Windows' rename never replaces
// a file anyway.)
MoveResult LookThenRename(const std::string& from, const std::string& to) {
    if (PathKindOf(to) != PathKind::kMissing) {
        return MoveResult::kTargetExists;
    }
    return std::rename(from.c_str(), to.c_str()) == 0 ? MoveResult::kMoved : MoveResult::kFailed;
}

}  // namespace

MoveResult MoveWithoutReplacing(const std::string& from, const std::string& to) {
#ifdef _WIN32
    return LookThenRename(from, to);
#else
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return MoveResult::kMoved;
    }
    if (errno == EEXIST) {
        return MoveResult::kTargetExists;
    }
    // EINVAL or ENOSYS: the file system or kernel cannot rename without replacing.
    return errno == EINVAL || errno == ENOSYS ? LookThenRename(from, to) : MoveResult::kFailed;
#endif
}

}  // namespace torv
