#pragma once
// Appends character blocks to a dictionary file, as the character reads do: whole blocks only, each
// written and flushed as one piece, so a read that fails or is stopped keeps the blocks already
// appended and never leaves half a block. The file is made with the first block: a read that appends
// nothing leaves no empty file behind.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace torv {

class DictionaryAppender {
  public:
    explicit DictionaryAppender(std::string path);
    ~DictionaryAppender();
    DictionaryAppender(const DictionaryAppender&) = delete;
    DictionaryAppender& operator=(const DictionaryAppender&) = delete;

    // Whether blocks can be appended: the name is a regular file the user may write, or a new name in
    // a folder that takes files. Asked before the first exchange, so a file that cannot be written
    // fails at once.
    bool canAppend();
    // Appends one block (a file that does not end with a line end gets one first, so the block starts
    // on a line of its own). False when it could not be written whole; the file is then cut back to
    // what it held before.
    bool append(std::string_view block);

    // Why the file cannot be written, for the user; empty while nothing failed.
    const std::string& failureText() const { return m_failure; }
    // Blocks appended so far.
    int appended() const { return m_appended; }

  private:
    bool open();
    void fail(int error);

    std::string m_path;
    std::FILE* m_file = nullptr;
    std::uintmax_t m_size = 0;  // what the file holds: its bytes before this block
    bool m_needsLineEnd = false;
    bool m_created = false;  // the first block made the file
    int m_appended = 0;
    std::string m_failure;
};

}  // namespace torv
