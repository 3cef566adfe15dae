#pragma once
// The parameter sheet: the whole set as a CSV table that reads like the editor, one row per parameter
// with the common value in the "Common" column and each bank's value under its own heading.

#include <string>
#include <vector>

#include "params/parameter_file.h"
#include "params/parameter_set.h"

namespace torv {

inline constexpr int kSheetLineCount = 58;  // header, 3 section lines, 54 rows

// The sheet's lines, without line ends. Fields are never quoted: a STRING holding a comma adds a field
// to its row, as the sensor tool has always written it; a list index without entry gives an empty field.
std::vector<std::string> ParameterSheetLines(const ParameterSet& set);

// Writes the sheet with CR LF line ends; an existing file is replaced only once the sheet is complete.
SaveStatus WriteParameterSheet(const std::string& path, const ParameterSet& set);

}  // namespace torv
