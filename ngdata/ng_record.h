#pragma once
// The result record of a stored NG inspection (768 bytes, blocks 249..251 of its slot): what each
// character was read as and how well it matched, the formats and limits in force, the bank, and when
// the NG was saved. Words are 16 bits, low byte first.

#include <array>
#include <cstdint>

#include "ngdata/ng_slots.h"

namespace torv {

inline constexpr int kNgFormatCount = 4;
inline constexpr int kNgLimitCount = 2;
inline constexpr std::uint16_t kFormatNotFound = 0xFFFF;

struct NgCharacterResult {
    std::uint8_t numericalDifference = 0;  // smaller is a better match
    std::uint8_t numerical = 0;            // ASCII, 7 bits
    std::uint8_t alphabeticDifference = 0;
    std::uint8_t alphabetic = 0;
    std::uint8_t numericalDictionary = 0;
    std::uint8_t alphabeticDictionary = 0;
    bool startsLine = false;  // the character begins a new line of text

    // The numerical character unless the alphabetic one matched strictly better.
    std::uint8_t best() const { return numericalDifference <= alphabeticDifference ? numerical : alphabetic; }
};

enum class NgFormatKind : std::uint8_t { kNone = 0, kDate = 1, kTime = 2, kString = 3 };

struct NgFormat {
    NgFormatKind kind = NgFormatKind::kNone;
    std::uint16_t value = 0;  // a day number, a minute number, or 0xFFFF: the format found nothing
};

struct NgResultRecord {
    // The characters in the record: the count the sensor reported, but never more than the 48 the
    // pattern blocks hold.
    int count = 0;
    int reportedCount = 0;  // byte 568 as it came
    std::array<NgCharacterResult, kMaxNgCharacters> characters{};
    std::array<NgFormat, kNgFormatCount> formats{};
    std::uint16_t savedDay = 0;
    std::uint16_t savedMinute = 0;
    std::uint8_t bank = 0;
    std::array<std::uint16_t, kNgLimitCount> dateUpper{};
    std::array<std::uint16_t, kNgLimitCount> dateLower{};
    std::array<std::uint16_t, kNgLimitCount> timeUpper{};
    std::array<std::uint16_t, kNgLimitCount> timeLower{};

    bool countClamped() const { return reportedCount > count; }
    // The pattern blocks that hold the record's characters (ceil(count / 16)).
    int patternBlocks() const { return (count + kPatternsPerBlock - 1) / kPatternsPerBlock; }
};

NgResultRecord DecodeResultRecord(const ResultRecordBytes& bytes);

}  // namespace torv
