#pragma once
// One stored NG inspection as the simulated sensor keeps it, and the blocks it hands over for it: the
// printed lines (a best-before date, the production time, sometimes a lot code), what each character
// was read as and how well it matched, the formats and limits that were checked, and the screen image.
// Everything agrees: the format values are the dates and times printed, a character that matched
// poorly is the one whose format was "not found", and the patterns are the dots the image shows.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/glyphs.h"
#include "sim/sim_random.h"

namespace torv::sim {

inline constexpr int kBlockSize = 256;
inline constexpr int kImageLineCount = 122;
inline constexpr int kImageBlockCount = 2 * kImageLineCount;  // blocks 0..243: two half lines each
inline constexpr int kFirstPatternBlock = 246;
inline constexpr int kPatternBlockCount = 3;
inline constexpr int kFirstResultBlock = 249;
inline constexpr int kResultBlockCount = 3;
inline constexpr int kResultRecordSize = kResultBlockCount * kBlockSize;
inline constexpr int kMaxRecordChars = kPatternBlockCount * kBlockSize / kPatternSize;  // 48
inline constexpr int kResultCountOffset = 568;
inline constexpr int kFormatCount = 4;
inline constexpr int kLimitCount = 2;
inline constexpr int kMinutesPerDay = 1440;

// Differences above this are a poor match: such a character is why the inspection is NG, and the
// screen frames it in blue.
inline constexpr int kPoorMatchDifference = 60;

using SlotBlock = std::array<std::uint8_t, kBlockSize>;

struct NgCharacter {
    char printed = ' ';  // what the image shows
    char numerical = ' ';
    char alphabetic = ' ';
    std::uint8_t numericalDifference = 0;
    std::uint8_t alphabeticDifference = 0;
    std::uint8_t numericalDictionary = 0;
    std::uint8_t alphabeticDictionary = 0;
    bool startsLine = false;
    CharacterPattern pattern{};
};

struct NgInspection {
    std::vector<NgCharacter> characters;
    std::vector<std::vector<int>> lines;  // character indices per printed line, top line first
    std::uint8_t bank = 0;
    std::uint8_t formatKinds = 0;
    std::array<std::uint16_t, kFormatCount> formatValues{};
    std::uint16_t savedDay = 0;  // day 0 is 1 Jan 2000
    std::uint16_t savedMinute = 0;
    std::array<std::uint16_t, kLimitCount> dateUpper{};
    std::array<std::uint16_t, kLimitCount> dateLower{};
    std::array<std::uint16_t, kLimitCount> timeUpper{};
    std::array<std::uint16_t, kLimitCount> timeLower{};
};

// A plausible NG inspection saved at that day and minute.
NgInspection GenerateInspection(std::uint16_t savedDay, std::uint16_t savedMinute, SimRandom& random);

// The 768-byte result record of an inspection.
std::array<std::uint8_t, kResultRecordSize> BuildResultRecord(const NgInspection& inspection);

// Slot blocks 0..243: the screen image of image line block / 2, columns 0..127 or 128..255.
SlotBlock ScreenImageBlock(const NgInspection& inspection, int block);
// Slot blocks 246..248 (index 0..2): 16 character patterns each.
SlotBlock PatternBlock(const NgInspection& inspection, int index);

// A day number's printed form, YYMMDD.
std::string PrintedDate(int day);

}  // namespace torv::sim
