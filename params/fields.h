#pragma once
// Parameter fields: reading a value out of its word (what the editor, the sheet and torvctl show) and
// rebuilding the words of one bank from what the operator entered.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "params/catalogue.h"
#include "params/parameter_set.h"

namespace torv {

// A list row gives its index, a number row its number (bias removed), the text row its text.
using FieldValue = std::variant<std::int32_t, std::string>;

// The value of one parameter in `bank` (ignored for common rows). A bank row asked for a bank outside
// 0..15 gives 0 or an empty text.
FieldValue DecodeField(const ParameterSet& set, int bank, const ParameterRow& row);
// By key or sheet key; nothing for an unknown key or a bank outside 0..15.
std::optional<FieldValue> DecodeField(const ParameterSet& set, int bank, std::string_view key);

// The text the operator sees: the list entry ("" when the index has no entry), the number as "%d", the
// STRING as stored.
std::string FieldValueText(const ParameterSet& set, int bank, const ParameterRow& row);

// What the editor's controls hold: for a list row the selected index (kNoEntry when nothing is
// selected), for number and text rows the typed text.
struct FieldInput {
    static constexpr int kNoEntry = -1;

    int index = kNoEntry;
    std::string text;

    bool operator==(const FieldInput&) const = default;
};

// The number a typed text is stored as: read as the tool reads numbers, then clamped as the row says
// (a value below the range becomes storedBelow, above it storedAbove).
std::int32_t ClampNumber(std::string_view text, const NumberRange& range);

// One input per catalogue row, in catalogue order.
using FieldInputs = std::array<FieldInput, kParameterCount>;

// The inputs that show the common block and `bank` (a list index with no entry shows as kNoEntry).
FieldInputs ReadFieldInputs(const ParameterSet& set, int bank);

// Rebuilds common words 0, 2..6 and the 36 words of `bank` from the inputs: every field goes into its
// bits, numbers are clamped to their range, the fixed bits are set and every other bit is 0. A list
// input of kNoEntry keeps the field's stored bits, so a value the lists do not know survives a save.
// Common words 1 and 7..11 and the other banks are untouched. False (and nothing changed) when `bank`
// is not 0..15.
bool StoreBank(ParameterSet& set, int bank, const FieldInputs& inputs);

}  // namespace torv
