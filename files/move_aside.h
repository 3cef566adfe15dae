#pragma once
// Moving a file to a new name without ever replacing a file that already has that name.

#include <string>

namespace torv {

enum class MoveResult {
    kMoved,
    kTargetExists,  // the new name is taken: nothing was moved
    kFailed,        // the system refused (no permission, another file system, ...)
};

MoveResult MoveWithoutReplacing(const std::string& from, const std::string& to);

}  // namespace torv
