#pragma once
// Text files as the tool keeps them: every line ends CR LF on disk on every platform; readers take LF
// as the line end and drop one CR right before it. Files written whole go through AtomicFileWriter.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace torv {

inline constexpr std::string_view kLineEnd = "\r\n";

enum class LineRead {
    kLine,     // a line that fits its buffer
    kTooLong,  // a line longer than the buffer; the whole line was consumed
    kEnd,      // end of file, nothing read
};

class TextLineReader {
  public:
    // Opens regular files only: a folder or FIFO of that name reads as a missing file.
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

// A control character (below 0x20, or DEL): no line of the tool's files holds one, and no message shows
// one as it is.
bool IsControlCharacter(char c);

// `text` as a message shows it: each control character as \xHH, so that none reaches a terminal.
std::string WithControlsEscaped(std::string_view text);

// Reads a number the way the tool reads its files: leading blanks and one sign are accepted, the
// digits end at the first other character, text without digits gives 0, and the unsigned 32-bit
// result is taken as a signed value (so "-1" and "4294967295" both give -1).
std::int32_t ParseUnsignedDecimal(std::string_view text);

}  // namespace torv
