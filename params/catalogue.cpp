#include "params/catalogue.h"

#include <algorithm>
#include <array>
#include <utility>

#include "params/parameter_set.h"

namespace torv {
namespace {

constexpr bool FieldFits(const BitField& field) {
    const int words = field.scope == ParameterScope::kCommon ? kCommonWordCount : kBankWordCount;
    return field.word >= 0 && field.word < words && field.firstBit >= 0 && field.bitCount > 0 &&
           field.firstBit + field.bitCount <= kWordBits;
}

constexpr bool RowIsSound(const ParameterRow& row) {
    if (!FieldFits(row.field)) {
        return false;
    }
    switch (row.kind) {
        case ParameterKind::kList:
            return !row.list.empty() && row.list.size() - 1 <= row.field.mask();
        case ParameterKind::kNumber:
            return row.range.min <= row.range.max && row.range.min + row.range.bias >= 0 &&
                   static_cast<std::uint32_t>(row.range.max + row.range.bias) <= row.field.mask();
        case ParameterKind::kText:
            return row.field.fillsWord() && row.field.word + (row.range.max + 1) / 2 <= kBankWordCount;
    }
    return false;
}

// Every row fits its word, every list fits its bits, and keys, control ids and sheet rows are unique:
// a slip in the table fails the build instead of sending wrong words to the sensor.
constexpr bool CatalogueIsSound() {
    std::array<bool, kSheetRowCount + 1> sheetRowUsed{};
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        const ParameterRow& row = kParameterCatalogue[i];
        if (!RowIsSound(row) || row.sheetRow < 0 || row.sheetRow > kSheetRowCount ||
            (row.sheetRow == 0) != row.sheetKey.empty()) {
            return false;
        }
        if (row.sheetRow != 0 && std::exchange(sheetRowUsed[row.sheetRow], true)) {
            return false;
        }
        for (std::size_t j = 0; j < i; ++j) {
            const ParameterRow& other = kParameterCatalogue[j];
            if (row.key == other.key || row.editor.controlId == other.editor.controlId ||
                (!row.sheetKey.empty() && row.sheetKey == other.sheetKey)) {
                return false;
            }
        }
    }
    return std::count(sheetRowUsed.begin() + 1, sheetRowUsed.end(), true) == kSheetRowCount;
}

static_assert(CatalogueIsSound());
static_assert(std::all_of(kFixedBits.begin(), kFixedBits.end(), FieldFits));

}  // namespace

const EditorGroupInfo& GroupInfo(EditorGroup group) {
    const auto* info = std::find_if(kEditorGroups.begin(), kEditorGroups.end(),
                                    [group](const EditorGroupInfo& entry) { return entry.group == group; });
    return info != kEditorGroups.end() ? *info : kEditorGroups.back();
}

std::optional<std::size_t> FindParameterIndex(std::string_view key) {
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        const ParameterRow& row = kParameterCatalogue[i];
        if (row.key == key || (!row.sheetKey.empty() && row.sheetKey == key)) {
            return i;
        }
    }
    return std::nullopt;
}

const ParameterRow* FindParameter(std::string_view key) {
    const std::optional<std::size_t> index = FindParameterIndex(key);
    return index ? &kParameterCatalogue[*index] : nullptr;
}

std::string_view ParameterUnit(const ParameterRow& row) {
    // The date offsets and margins count days; the time offsets and margins minutes.
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 8> kUnits{{
        {"1-DAYOFS", "days"},
        {"2-DAYOFS", "days"},
        {"1-DAY±", "days"},
        {"2-DAY±", "days"},
        {"1-TIMOFS", "min"},
        {"2-TIMEOFS", "min"},
        {"1-TIME±", "min"},
        {"2-TIME±", "min"},
    }};
    for (const auto& [key, unit] : kUnits) {
        if (row.key == key) {
            return unit;
        }
    }
    return {};
}

std::optional<std::size_t> SheetRowParameter(int sheetRow) {
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        if (sheetRow != 0 && kParameterCatalogue[i].sheetRow == sheetRow) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<int> FindListEntry(const ParameterRow& row, std::string_view text) {
    const auto entry = std::find(row.list.begin(), row.list.end(), text);
    if (entry == row.list.end()) {
        return std::nullopt;
    }
    return static_cast<int>(entry - row.list.begin());
}

std::string_view ListEntry(const ParameterRow& row, std::int64_t index) {
    if (index < 0 || static_cast<std::uint64_t>(index) >= row.list.size()) {
        return {};
    }
    return row.list[static_cast<std::size_t>(index)];
}

std::string EditorLabel(const ParameterRow& row) {
    std::string label(row.key);
    if (!row.editor.description.empty()) {
        label += '\n';
        label += row.editor.description;
    } else if (row.field.scope == ParameterScope::kBank) {
        label += '*';
    }
    return label;
}

}  // namespace torv
