#pragma once

#include <string>

namespace torv::cli {

// `params diff NAME1 NAME2 [--values]`: the parameters whose values differ, then (unless
// `valuesOnly`) every other difference in the words a write sends, as "Common: word 7: 12 -> 13".
// Exits as diff does: 0 the same, 1 different, 2 a file missing or invalid.
int RunParamsDiff(const std::string& name, const std::string& otherName, bool valuesOnly);

}  // namespace torv::cli
