#pragma once
// The parameter file (".torv"): "Software version", the version, "Common parameter", the 12 common
// words, then per bank "Bank parameter No.<b>" and its 36 words, one decimal number a line, CR LF.
// Files of the older form start directly with the common header and count as version 100.

#include <string>

#include "files/text_file.h"
#include "params/parameter_set.h"

namespace torv {

// Reads a parameter file part by part, so that the write operation can stream it to the sensor one
// block at a time and the loader can build a whole set, both with the same acceptance rules. Every
// method returns false on a missing line, a wrong header letter, a word line that is not a decimal
// number 0..65535 (digits only, at most five) or a line too long for its buffer; after a false the
// file is to be given up. The version line is taken as the sensor wrote it (its characters need not
// be digits).
class ParameterFileReader {
  public:
    // The tool's fixed line buffers, line end included.
    static constexpr std::size_t kHeaderLineChars = 24;
    static constexpr std::size_t kValueLineChars = 9;

    explicit ParameterFileReader(const std::string& path) : m_lines(path) {}

    bool isOpen() const { return m_lines.isOpen(); }

    // Line 1 and, when it begins with "S", the version line and a line that must begin with "C".
    // Without version lines `version` is 100; a first line beginning with neither letter stands for
    // the common header.
    bool readHeader(std::int32_t& version);
    bool readCommonWords(CommonWords& words);
    // A line beginning with "B" (its bank number is not checked), then the 36 words.
    bool readBank(BankWords& words);

    // After a false: where and why, for the user ("line 17: expected \"Bank parameter No.0\", but the
    // file ends there.", "line 23: expected a number 0..65535, but it reads \"12x7\".").
    std::string problem() const;

  private:
    bool readLine(std::size_t bufferChars, std::string expected);
    bool readHeaderStartingWith(char letter, std::string expected);
    template <std::size_t N>
    bool readValues(std::array<std::int32_t, N>& words);

    TextLineReader m_lines;
    std::string m_line;
    int m_lineNumber = 0;
    std::string m_expected;  // what the line being read should hold
    LineRead m_lastRead = LineRead::kLine;
    int m_bank = 0;
};

enum class LoadStatus { Loaded, NotFound, Invalid };

struct LoadedParameters {
    LoadStatus status = LoadStatus::NotFound;
    ParameterSet set;     // meaningful only when Loaded; otherwise the initial set
    std::string problem;  // NotFound or Invalid: the path and what is wrong, for the user
};

// The whole file or nothing: a file broken anywhere gives Invalid and none of what was read.
LoadedParameters LoadParameterFile(const std::string& path);

enum class SaveStatus { Saved, CannotCreate };

// Replaces the file only once it is written completely; on CannotCreate an existing file is unchanged.
SaveStatus SaveParameterFile(const std::string& path, const ParameterSet& set);

}  // namespace torv
