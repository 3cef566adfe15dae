#pragma once
// Writes a file whole or not at all. The content goes to a temporary file beside the target (see
// temporary_file.h), which replaces the target only when all of it is on the disk; a failed or
// cancelled write leaves an existing file exactly as it was and makes no new one. A full disk, no free
// inode or a name the folder cannot take fails the write and never touches the target. A symbolic link
// is followed to the file it names, and the replaced file's permission bits stay. Only where the
// folder refuses new files (a folder the user may not write) is an existing target written in place,
// at commit, with its old content held in memory and put back when that write fails.

#include <string>
#include <string_view>

#include "files/temporary_file.h"

namespace torv {

class AtomicFileWriter {
  public:
    explicit AtomicFileWriter(const std::string& targetPath);
    ~AtomicFileWriter() = default;  // without commit(), nothing of the new content stays on disk
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // False when the target cannot be written: a folder, FIFO or read-only file of that name, a missing
    // folder, no permission, no space or no free inode for the temporary file, a name too long.
    bool isOpen() const { return m_open; }
    // The file that commit() replaces: the target with its symbolic links followed.
    const std::string& targetPath() const { return m_target; }
    // Why the file cannot be written, for the user: "/data/bank.torv: No space left on device." Empty
    // while nothing failed.
    const std::string& failureText() const { return m_failure; }

    void write(std::string_view bytes);
    void writeLine(std::string_view text);  // text + CR LF

    // The content is complete: it replaces the target. False when writing or replacing failed; the
    // target then keeps its previous content.
    bool commit();

  private:
    friend bool CommitTogether(AtomicFileWriter& first, AtomicFileWriter& second);

    // The new content complete on the disk (or, in place, in memory): only the replacement is left.
    bool finishContent();
    // Puts the new content in the target's place. With `keepOld`, the replaced content stays in memory
    // for restoreTarget().
    bool replaceTarget(bool keepOld);
    // After replaceTarget(true): the target as it was before (no file where there was none).
    void restoreTarget();
    bool fail(int error);

    std::string m_target;
    TemporaryFile m_temporary;
    bool m_open = false;
    bool m_inPlace = false;
    std::string m_memory;    // the new content, when written in place
    std::string m_previous;  // the target's old content, when written in place or kept for a restore
    bool m_targetExisted = false;
    bool m_replaced = false;
    bool m_writeFailed = false;
    int m_writeError = 0;
    std::string m_failure;
};

// Two files that belong together (an NG screen image and its data file) replace their targets both or
// not at all: both contents are on the disk before the first replacement, and when the second cannot
// replace its target the first gets its old content back. False when either failed; the failure text
// is the failing writer's.
bool CommitTogether(AtomicFileWriter& first, AtomicFileWriter& second);

}  // namespace torv
