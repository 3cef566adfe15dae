#pragma once
// What two parameter sets would set differently in a sensor: first the parameters whose values
// differ, as the editor shows them; then each word a write sends whose difference no value shown
// accounts for (common words 1, 7 and 8, bits no parameter names, STRING bytes after the string's end).

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "params/catalogue.h"
#include "params/parameter_set.h"

namespace torv {

struct ParameterDifference {
    ParameterScope scope = ParameterScope::kCommon;
    int bank = 0;                       // for a bank's difference
    const ParameterRow* row = nullptr;  // null: a word no value shows
    std::string first;                  // a parameter's value in each set
    std::string second;
    int word = 0;  // a word's index in its block, and its value in each set
    std::int32_t firstWord = 0;
    std::int32_t secondWord = 0;
};

// A parameter's value as text; values that give the same text are the same.
using ValueText = std::function<std::string(const ParameterSet&, int bank, const ParameterRow&)>;

// Block by block (common, then banks 0..15): the parameters whose texts differ, then, unless
// `valuesOnly`, the words that differ in bits no differing value covers.
std::vector<ParameterDifference> DiffParameterSets(const ParameterSet& first, const ParameterSet& second,
                                                   const ValueText& valueText, bool valuesOnly = false);

// "Common", "Bank 3"
std::string BlockName(ParameterScope scope, int bank);
// What differs: "Bank 3: SHUTTER", "Common: word 7".
std::string DifferenceSubject(const ParameterDifference& difference);
// The value in each set: the parameter's text, or the word's number.
std::string FirstValueText(const ParameterDifference& difference);
std::string SecondValueText(const ParameterDifference& difference);

}  // namespace torv
