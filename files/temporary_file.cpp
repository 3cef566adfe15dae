#include "files/temporary_file.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <string_view>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace torv {
namespace {

namespace fs = std::filesystem;

// Slots let a few writes of the same target run at once; more would only cost look-ups per write.
constexpr int kTemporarySlots = 8;
constexpr std::uint32_t kFnvOffsetBasis = 2166136261u;
constexpr std::uint32_t kFnvPrime = 16777619u;

std::uint32_t NameHash(std::string_view name) {
    std::uint32_t hash = kFnvOffsetBasis;
    for (char c : name) {
        hash = (hash ^ static_cast<unsigned char>(c)) * kFnvPrime;
    }
    return hash;
}

std::string SlotName(const std::string& target, int slot) {
    const fs::path path(target);
    std::array<char, 24> name{};
    std::snprintf(name.data(), name.size(), ".torv-%08x-%d",
                  static_cast<unsigned>(NameHash(path.filename().string())), slot);
    return (path.parent_path() / name.data()).string();
}

#ifdef _WIN32

int OpenExclusive(const std::string& name) {
    return _open(name.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY | _O_NOINHERIT,
                 _S_IREAD | _S_IWRITE);
}
// Windows removes no file that a process holds open: being open is the lock.
bool HoldForWriting(int) {
    return true;
}
bool RemoveIfUnheld(const std::string& name) {
    return std::remove(name.c_str()) == 0;
}
std::FILE* StreamOf(int fd) {
    return _fdopen(fd, "wb");
}
void CloseDescriptor(int fd) {
    _close(fd);
}
bool SyncToDisk(std::FILE* stream) {
    return _commit(_fileno(stream)) == 0;
}

#else

constexpr mode_t kNewFileMode = 0666;  // less the umask, as for any new file

int OpenExclusive(const std::string& name) {
    return open(name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, kNewFileMode);
}
// False when the file was taken for a leftover and removed between its creation and the lock. A file
// system without locks still takes the file, unlocked.
bool HoldForWriting(int fd) {
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        return errno != EWOULDBLOCK;
    }
    struct stat held {};
    return fstat(fd, &held) == 0 && held.st_nlink > 0;
}
// Removes the file when no process holds its lock, and only when the name still is the file locked.
bool RemoveIfUnheld(const std::string& name) {
    const int fd = open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat held {};
    struct stat named {};
    const bool unheld = flock(fd, LOCK_EX | LOCK_NB) == 0 && fstat(fd, &held) == 0 &&
                        lstat(name.c_str(), &named) == 0 && S_ISREG(named.st_mode) &&
                        held.st_ino == named.st_ino && held.st_dev == named.st_dev;
    const bool removed = unheld && unlink(name.c_str()) == 0;
    close(fd);
    return removed;
}
std::FILE* StreamOf(int fd) {
    return fdopen(fd, "wb");
}
void CloseDescriptor(int fd) {
    close(fd);
}
bool SyncToDisk(std::FILE* stream) {
    return fsync(fileno(stream)) == 0;
}

#endif

void RemoveLeftovers(const std::string& target) {
    for (int slot = 0; slot < kTemporarySlots; ++slot) {
        const std::string name = SlotName(target, slot);
        std::error_code error;
        if (fs::exists(fs::symlink_status(name, error))) {
            RemoveIfUnheld(name);
        }
    }
}

#ifdef O_TMPFILE

// Unnamed files are given their name through their /proc entry.
constexpr const char* kOwnDescriptors = "/proc/self/fd/";

int OpenUnnamed(const std::string& target) {
    if (access(kOwnDescriptors, F_OK) != 0) {
        errno = EOPNOTSUPP;
        return -1;
    }
    const fs::path folder = fs::path(target).parent_path();
    return open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, kNewFileMode);
}

// A kernel or file system without unnamed files: the named file is the way.
bool NoUnnamedFiles(int error) {
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

bool LinkUnnamed(std::FILE* stream, const std::string& name) {
    const std::string own = kOwnDescriptors + std::to_string(fileno(stream));
    return linkat(AT_FDCWD, own.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

#endif

}  // namespace

bool FlushToDisk(std::FILE* stream) {
    return std::fflush(stream) == 0 && SyncToDisk(stream);
}

TemporaryFile::~TemporaryFile() {
    closeStream();
    if (!m_path.empty()) {
        std::remove(m_path.c_str());
    }
}

bool TemporaryFile::create(const std::string& target) {
    m_target = target;
    RemoveLeftovers(target);
#ifdef O_TMPFILE
    if (const int fd = OpenUnnamed(target); fd >= 0) {
        m_stream = StreamOf(fd);
        m_unnamed = m_stream != nullptr;
        if (!m_unnamed) {
            CloseDescriptor(fd);
        }
        return m_unnamed;
    }
    if (!NoUnnamedFiles(errno)) {
        return false;
    }
#endif
    return createNamed();
}

bool TemporaryFile::createNamed() {
    for (int slot = 0; slot < kTemporarySlots; ++slot) {
        const std::string name = SlotName(m_target, slot);
        const int fd = OpenExclusive(name);
        if (fd < 0) {
            if (errno == EEXIST) {
                continue;  // another write of this target holds the slot
            }
            return false;
        }
        if (!HoldForWriting(fd)) {
            CloseDescriptor(fd);
            continue;
        }
        m_stream = StreamOf(fd);
        if (m_stream == nullptr) {
            CloseDescriptor(fd);
            std::remove(name.c_str());
            return false;
        }
        m_path = name;
        return true;
    }
    errno = EEXIST;
    return false;
}

bool TemporaryFile::nameUnnamed() {
#ifdef O_TMPFILE
    for (int slot = 0; slot < kTemporarySlots; ++slot) {
        const std::string name = SlotName(m_target, slot);
        if (LinkUnnamed(m_stream, name)) {
            m_path = name;
            return true;
        }
        if (errno != EEXIST) {
            return false;
        }
    }
    errno = EEXIST;
#else
    errno = EOPNOTSUPP;
#endif
    return false;
}

bool TemporaryFile::finish() {
    if (m_stream == nullptr) {
        errno = EBADF;
        return false;
    }
    bool finished = FlushToDisk(m_stream) && (!m_unnamed || nameUnnamed());
    int error = errno;
    if (std::fclose(m_stream) != 0 && finished) {
        finished = false;
        error = errno;
    }
    m_stream = nullptr;
    errno = error;
    return finished;
}

void TemporaryFile::closeStream() {
    if (m_stream != nullptr) {
        std::fclose(m_stream);
        m_stream = nullptr;
    }
}

}  // namespace torv
