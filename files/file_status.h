#pragma once
// What a name on disk is, before the tool opens it: an operation asks first, so that a folder or a
// FIFO given as a file name fails at once with the operation's file message instead of blocking in an
// open or failing after every exchange has been made.

#include <string>

namespace torv {

enum class PathKind {
    kMissing,  // nothing of that name (a dangling symbolic link counts as missing)
    kRegular,  // a regular file, or a symbolic link to one
    kOther,    // a folder, FIFO, device, socket: never a file the tool reads or replaces
};

PathKind PathKindOf(const std::string& path);

// True when the name is a regular file that can be opened for reading.
bool FileExists(const std::string& path);

// True when a file may be written under this name: a missing name, or a regular file the user may
// write. A folder, a FIFO or a read-only file gives false.
bool CanReplaceFile(const std::string& path);

// True when new files may be made in the folder (an empty name is the current folder).
bool FolderAcceptsFiles(const std::string& folder);

// Why a file cannot be read or written, for the user: "/data/bank.torv does not exist.", "... is a
// folder, not a file.", "... is read-only.", or the system's reason for `error` (an errno value).
std::string NotReadableText(const std::string& path);
std::string NotWritableText(const std::string& path);
std::string SystemErrorText(const std::string& path, int error);

// The name a symbolic link chain ends at (the name itself when it is no link). Relative link targets
// count from the link's folder.
std::string ResolveLinks(const std::string& path);

}  // namespace torv
