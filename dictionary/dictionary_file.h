#pragma once
// The dictionary file (".dic4"): one block of 8 lines per character, no header, no separators, CR LF
// line ends. Line 1 holds the character code as one character ("?" for a code not assigned yet; an
// empty line is the code of the line end itself); lines 2..8 hold rows 1..7 as seven cell symbols.
// The readers (the dictionary write and the editor's load) and the writers (the character reads, the
// dictionary read and the editor's save) all go through here.

#include <span>
#include <string>
#include <vector>

#include "dictionary/dot_pattern.h"
#include "files/text_file.h"

namespace torv {

inline constexpr char kUnassignedCode = '?';
// The line end's own code: what an empty code line stands for.
inline constexpr std::uint8_t kLineEndCode = '\n';

// One block from a character pattern: code line "?", cells from planes A and B (all four symbols).
std::string CharacterBlockFromPattern(const CharacterPattern& pattern);
// One block from a dictionary character or record: its code, cells "*" and " ".
std::string CharacterBlock(const DictionaryCharacter& character);
std::string CharacterBlockFromRecord(const DictionaryRecord& record);

// A whole file of these characters, in order.
std::string DictionaryFileBytes(std::span<const DictionaryCharacter> characters);
// Writes the file whole or not at all; false when it cannot be written (the caller then shows the
// file-creation failure, `kCreateFileFailed`), with the reason in `failureText` when one is given.
bool SaveDictionaryFile(const std::string& path, std::span<const DictionaryCharacter> characters,
                        std::string* failureText = nullptr);

enum class BlockRead {
    kCharacter,  // a whole block was read
    kEnd,        // the file ended where a block could start: the dictionary is complete
    kInvalid,    // the block breaks the reading rule (`kDictionaryFileInvalid`)
};

// Reads a dictionary file block by block by the reading rule. A line is read into a 16-byte buffer,
// so a line holds at most 14 characters before its line end: a longer line makes the file invalid
// (read in parts it would put every later block out of step).
class DictionaryReader {
  public:
    explicit DictionaryReader(const std::string& path) : m_lines(path) {}

    // False when the file is missing (`kDictionaryFileNotFound`), or is a folder or some other non-file.
    bool isOpen() const { return m_lines.isOpen(); }
    BlockRead next(DictionaryCharacter& character);

  private:
    TextLineReader m_lines;
};

enum class DictionaryStatus { kLoaded, kNotFound, kInvalid };

struct LoadedDictionary {
    DictionaryStatus status = DictionaryStatus::kNotFound;
    // Up to 56 characters: blocks after the 56th are not read. When the file is invalid, the
    // characters before the faulty block.
    std::vector<DictionaryCharacter> characters;
};

LoadedDictionary LoadDictionaryFile(const std::string& path);

// Where a file breaks the reading rule, for the user: the block after the `charactersRead` characters
// read whole, and the line it starts on.
std::string InvalidBlockText(const std::string& path, std::size_t charactersRead);

}  // namespace torv
