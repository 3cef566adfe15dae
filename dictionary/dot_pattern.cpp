#include "dictionary/dot_pattern.h"

namespace torv {
namespace {

constexpr int kPlaneBOffset = 8;
constexpr std::uint8_t kRecordRowMark = 0x80;

}  // namespace

std::uint8_t PlaneARow(const CharacterPattern& pattern, int row) {
    return pattern[static_cast<std::size_t>(kGridSize - row)] & kRowBits;
}

std::uint8_t PlaneBRow(const CharacterPattern& pattern, int row) {
    return pattern[static_cast<std::size_t>(kPlaneBOffset + kGridSize - row)] & kRowBits;
}

DictionaryRecord RecordOf(const DictionaryCharacter& character) {
    DictionaryRecord record{};
    record[0] = character.code;
    for (std::size_t r = 0; r < kGridSize; ++r) {
        record[r + 1] = static_cast<std::uint8_t>(kRecordRowMark | (character.rows[r] & kRowBits));
    }
    return record;
}

DictionaryCharacter CharacterOfRecord(const DictionaryRecord& record) {
    DictionaryCharacter character;
    character.code = record[0];
    for (std::size_t r = 0; r < kGridSize; ++r) {
        character.rows[r] = record[r + 1] & kRowBits;
    }
    return character;
}

std::uint16_t RecordWord(const DictionaryRecord& record, int k) {
    const auto low = static_cast<std::size_t>(2 * k);
    return static_cast<std::uint16_t>(record[low] | (record[low + 1] << 8));
}

}  // namespace torv
