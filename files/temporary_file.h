#pragma once
// The file a whole-file write goes to before it replaces its target, in the target's folder.
//
// On Linux it has no name at all while it is written (an unnamed file of the folder), so a process
// killed half-way leaves nothing behind. Where the system or the file system has no unnamed files it
// is made under a short name: ".torv-" with a hash of the target's name and a slot number
// (".torv-1a2b3c4d-0"), the same length whatever the target's, so a target of 255 characters still
// has one. Such a file is held locked (on Windows: open) while it is written, and every write to the
// same target first removes the ones no process holds any more: what a killed process left.

#include <cstdio>
#include <string>

namespace torv {

class TemporaryFile {
  public:
    TemporaryFile() = default;
    ~TemporaryFile();  // closes it and removes a name that was not taken over
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Makes it beside `target`; false with errno set (no space, no free inode, no permission).
    bool create(const std::string& target);
    // Where the content goes; null once finish() has run or when create() failed.
    std::FILE* stream() const { return m_stream; }

    // Writes the content through to the disk, closes the file and gives it its short name: false with
    // errno set when any of it did not reach the disk.
    bool finish();
    // The name finish() gave it, which the caller then renames over the target.
    const std::string& path() const { return m_path; }
    // The name was renamed away: nothing is left to remove.
    void releaseName() { m_path.clear(); }

  private:
    bool createNamed();
    bool nameUnnamed();
    void closeStream();

    std::string m_target;
    std::string m_path;
    std::FILE* m_stream = nullptr;
    bool m_unnamed = false;
};

// Flushes the stream and asks the system to put its bytes on the disk; false with errno set.
bool FlushToDisk(std::FILE* stream);

}  // namespace torv
