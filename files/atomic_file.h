#pragma once
// Writes a file whole or not at all. The content goes to a temporary file beside the target, which
// replaces the target only when complete; a failed or cancelled write leaves an existing file exactly
// as it was and makes no new one. A symbolic link is followed to the file it names, and the replaced
// file's permission bits stay. Where no temporary file can be made beside an existing target (a
// folder the user may not write), the content is held in memory and written over the target at commit.

#include <cstdio>
#include <string>
#include <string_view>

namespace torv {

class AtomicFileWriter {
  public:
    explicit AtomicFileWriter(const std::string& targetPath);
    ~AtomicFileWriter();  // without commit(), nothing of the new content stays on disk
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // False when the target cannot be written: a folder, FIFO or read-only file of that name, a missing
    // folder, no permission.
    bool isOpen() const { return m_file != nullptr || m_inMemory; }
    // The file that commit() replaces: the target with its symbolic links followed.
    const std::string& targetPath() const { return m_target; }
    // Why the file cannot be written, for the user: "/data/bank.torv: it is a folder." Empty while
    // nothing failed.
    const std::string& failureText() const { return m_failure; }

    void write(std::string_view bytes);
    void writeLine(std::string_view text);  // text + CR LF

    // The content is complete: it replaces the target. False when writing or replacing failed; the
    // target then keeps its previous content (in the in-memory fallback, it may be left part-written).
    bool commit();

  private:
    bool commitTemporary();
    bool commitInPlace();

    std::string m_target;
    std::string m_temporary;
    std::FILE* m_file = nullptr;
    bool m_inMemory = false;
    std::string m_memory;
    bool m_targetExisted = false;
    bool m_writeFailed = false;
    int m_writeError = 0;
    std::string m_failure;
};

}  // namespace torv
