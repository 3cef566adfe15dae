#include "ngdata/ng_record.h"

#include <algorithm>

namespace torv {
namespace {

// The per-character arrays: two bytes per character from the array's offset; room for 60.
struct CharacterByte {
    int arrayOffset;
    int byteOfPair;
    std::uint8_t mask;
    std::uint8_t NgCharacterResult::*field;
};

constexpr std::uint8_t kWholeByte = 0xFF;
constexpr std::uint8_t kCharacterBits = 0x7F;
constexpr std::uint8_t kNewLineBit = 0x80;
constexpr int kNumericalArray = 208;
constexpr int kAlphabeticArray = 328;
constexpr int kDictionaryArray = 448;

constexpr CharacterByte kCharacterBytes[] = {
    {kNumericalArray, 0, kWholeByte, &NgCharacterResult::numericalDifference},
    {kNumericalArray, 1, kCharacterBits, &NgCharacterResult::numerical},
    {kAlphabeticArray, 0, kWholeByte, &NgCharacterResult::alphabeticDifference},
    {kAlphabeticArray, 1, kCharacterBits, &NgCharacterResult::alphabetic},
    {kDictionaryArray, 0, kWholeByte, &NgCharacterResult::numericalDictionary},
    {kDictionaryArray, 1, kWholeByte, &NgCharacterResult::alphabeticDictionary},
};
constexpr int kArrayCapacity = 60;
static_assert(kMaxNgCharacters <= kArrayCapacity);

// The limit pairs: check 1 at the offset, check 2 two bytes later.
struct LimitPair {
    int offset;
    std::array<std::uint16_t, kNgLimitCount> NgResultRecord::*field;
};

constexpr LimitPair kLimitPairs[] = {
    {586, &NgResultRecord::dateUpper},
    {590, &NgResultRecord::dateLower},
    {594, &NgResultRecord::timeUpper},
    {598, &NgResultRecord::timeLower},
};

constexpr int kCountOffset = 568;
constexpr int kFormatValueOffset = 570;
constexpr int kFormatKindOffset = 578;
constexpr int kFormatKindBits = 2;
constexpr int kFormatKindMask = 0x3;
constexpr int kFirstFormatShift = 6;  // format 1 in bits 7..6
constexpr int kSavedDayOffset = 580;
constexpr int kSavedMinuteOffset = 582;
constexpr int kBankOffset = 584;

std::uint16_t WordAt(const ResultRecordBytes& bytes, int offset) {
    const auto at = static_cast<std::size_t>(offset);
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

void DecodeCharacters(const ResultRecordBytes& bytes, NgResultRecord& record) {
    for (int i = 0; i < record.count; ++i) {
        NgCharacterResult& character = record.characters[static_cast<std::size_t>(i)];
        for (const CharacterByte& b : kCharacterBytes) {
            character.*b.field = static_cast<std::uint8_t>(
                bytes[static_cast<std::size_t>(b.arrayOffset + 2 * i + b.byteOfPair)] & b.mask);
        }
        character.startsLine =
            (bytes[static_cast<std::size_t>(kNumericalArray + 2 * i + 1)] & kNewLineBit) != 0;
    }
}

}  // namespace

NgResultRecord DecodeResultRecord(const ResultRecordBytes& bytes) {
    NgResultRecord record;
    record.reportedCount = bytes[kCountOffset];
    record.count = std::min(record.reportedCount, kMaxNgCharacters);
    DecodeCharacters(bytes, record);
    const int kinds = bytes[kFormatKindOffset];
    for (int k = 0; k < kNgFormatCount; ++k) {
        NgFormat& format = record.formats[static_cast<std::size_t>(k)];
        format.kind =
            static_cast<NgFormatKind>((kinds >> (kFirstFormatShift - kFormatKindBits * k)) & kFormatKindMask);
        format.value = WordAt(bytes, kFormatValueOffset + 2 * k);
    }
    record.savedDay = WordAt(bytes, kSavedDayOffset);
    record.savedMinute = WordAt(bytes, kSavedMinuteOffset);
    record.bank = bytes[kBankOffset];
    for (const LimitPair& pair : kLimitPairs) {
        for (int k = 0; k < kNgLimitCount; ++k) {
            (record.*pair.field)[static_cast<std::size_t>(k)] = WordAt(bytes, pair.offset + 2 * k);
        }
    }
    return record;
}

}  // namespace torv
