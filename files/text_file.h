#pragma once
// Text files as the tool keeps them: every line ends CR LF on disk on every platform; readers take LF
// as the line end and drop one CR right before it. Files written whole go through a temporary file in
// the same folder, so a failed or cancelled write never destroys what the user already had.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace torv {

inline constexpr std::string_view kLineEnd = "\r\n";

// True when the file can be opened for reading.
bool FileExists(const std::string& path);

enum class LineRead {
    kLine,     // a line that fits its buffer
    kTooLong,  // a line longer than the buffer; the whole line was consumed
    kEnd,      // end of file, nothing read
};

class TextLineReader {
  public:
    explicit TextLineReader(const std::string& path);
    ~TextLineReader();
    TextLineReader(const TextLineReader&) = delete;
    TextLineReader& operator=(const TextLineReader&) = delete;

    bool isOpen() const { return m_file != nullptr; }

    // Reads the next line (without its line end). `bufferChars` is the size of the line buffer the
    // format gives, line end included: a line whose text and line end do not fit comes back as
    // kTooLong, never split into two lines.
    LineRead readLine(std::string& line, std::size_t bufferChars = kUnlimited);

    static constexpr std::size_t kUnlimited = static_cast<std::size_t>(-1);

  private:
    std::FILE* m_file = nullptr;
};

// Writes a file through a temporary file beside it.
class AtomicFileWriter {
  public:
    explicit AtomicFileWriter(std::string targetPath);
    ~AtomicFileWriter();  // without commit() or keepPartial(), the temporary file is removed
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // False when the temporary file could not be created (no such folder, no permission, ...).
    bool isOpen() const { return m_file != nullptr; }
    const std::string& targetPath() const { return m_target; }

    void write(std::string_view bytes);
    void writeLine(std::string_view text);  // text + CR LF

    // The content is complete: it replaces the target. False when writing or replacing failed; the
    // target then keeps its previous content.
    bool commit();
    // The content is incomplete: an existing target keeps its previous content, a target that did not
    // exist before receives what was written so far.
    void keepPartial();

  private:
    void close();

    std::string m_target;
    std::string m_temporary;
    std::FILE* m_file = nullptr;
    bool m_targetExisted = false;
    bool m_writeFailed = false;
};

// Reads a number the way the tool reads its files: leading blanks and one sign are accepted, the
// digits end at the first other character, text without digits gives 0, and the unsigned 32-bit
// result is taken as a signed value (so "-1" and "4294967295" both give -1).
std::int32_t ParseUnsignedDecimal(std::string_view text);

}  // namespace torv
