#pragma once
// One line of the NG browser, read back from an NG data file (.ng4) as the tool writes it: when the
// sensor saved the NG, the characters it read (each position's better match), and the worst of them
// (the largest of those differences), the one most likely to have made the NG.

#include <optional>
#include <string>

namespace torv {

struct NgSummary {
    std::string saved;       // "Thu May 07 04:39:00 2026"; empty when the file has no such line
    std::string characters;  // "26120404391..." in the order of the file
    int worstPosition = -1;  // index into `characters`; -1 when there are none
    int worstDifference = 0;
    int worstLine = -1;  // the line of the text that holds it, counting from 0
};

// Nothing when the text is no NG data file (no count line, no character line). An NG whose
// reading found no character has an empty `characters`.
std::optional<NgSummary> SummarizeNgText(const std::string& text);

}  // namespace torv
