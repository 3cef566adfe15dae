#include "files/file_status.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace torv {
namespace {

namespace fs = std::filesystem;

// Deeper chains are loops, as the system's own path lookup says.
constexpr int kMaxLinkDepth = 40;

bool UserMayWrite(const std::string& path) {
#ifdef _WIN32
    return _access(path.c_str(), 2) == 0;
#else
    return access(path.c_str(), W_OK) == 0;
#endif
}

}  // namespace

bool FolderAcceptsFiles(const std::string& folder) {
    const std::string name = folder.empty() ? std::string(".") : folder;
    std::error_code error;
    return fs::is_directory(name, error) && UserMayWrite(name);
}

PathKind PathKindOf(const std::string& path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (error || !fs::exists(status)) {
        return PathKind::kMissing;
    }
    return fs::is_regular_file(status) ? PathKind::kRegular : PathKind::kOther;
}

bool FileExists(const std::string& path) {
    if (PathKindOf(path) != PathKind::kRegular) {
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    std::fclose(file);
    return true;
}

bool CanReplaceFile(const std::string& path) {
    switch (PathKindOf(path)) {
        case PathKind::kMissing:
            return true;
        case PathKind::kRegular:
            return UserMayWrite(path);
        case PathKind::kOther:
            break;
    }
    return false;
}

namespace {

std::string NotAFileText(const std::string& path) {
    std::error_code error;
    return path + (fs::is_directory(path, error) ? " is a folder, not a file." : " is not a regular file.");
}

}  // namespace

std::string NotReadableText(const std::string& path) {
    switch (PathKindOf(path)) {
        case PathKind::kMissing:
            return path + " does not exist.";
        case PathKind::kOther:
            return NotAFileText(path);
        case PathKind::kRegular:
            break;
    }
    return SystemErrorText(path, EACCES);
}

std::string NotWritableText(const std::string& path) {
    switch (PathKindOf(path)) {
        case PathKind::kOther:
            return NotAFileText(path);
        case PathKind::kRegular:
            return path + " is read-only.";
        case PathKind::kMissing:
            break;
    }
    return SystemErrorText(path, ENOENT);
}

std::string SystemErrorText(const std::string& path, int error) {
    if (error == ENOENT) {
        const fs::path folder = fs::path(path).parent_path();
        return "The folder " + (folder.empty() ? std::string(".") : folder.string()) + " does not exist.";
    }
    if (error == EACCES || error == EPERM) {
        return path + ": permission denied.";
    }
    return path + ": " + std::strerror(error) + ".";
}

std::string ResolveLinks(const std::string& path) {
    fs::path current(path);
    for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(current, error)) || error) {
            break;
        }
        const fs::path target = fs::read_symlink(current, error);
        if (error) {
            break;
        }
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    return current.string();
}

}  // namespace torv
