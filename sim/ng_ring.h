#pragma once
// The sensor's ring of 30 stored NG inspections, generated from the seed: each slot has a screen image
// of printed characters on a gray gradient, the 7 x 7 patterns of those characters and a result record
// (what was read, how well it matched, formats, limits, bank, when it was saved).

#include <array>
#include <cstdint>
#include <vector>

#include "sim/glyphs.h"
#include "sim/sensor_state.h"

namespace torv::sim {

inline constexpr int kNgSlotCount = 30;
inline constexpr int kBlockSize = 256;
inline constexpr int kImageBlockCount = 244;  // blocks 0..243: 122 lines of two half lines
inline constexpr int kFirstPatternBlock = 246;
inline constexpr int kPatternBlockCount = 3;
inline constexpr int kFirstResultBlock = 249;
inline constexpr int kResultBlockCount = 3;
inline constexpr int kResultRecordSize = kResultBlockCount * kBlockSize;
inline constexpr int kMaxRecordChars = kPatternBlockCount * kBlockSize / kPatternSize;  // 48
inline constexpr int kResultCountOffset = 568;
inline constexpr int kFormatCount = 4;
inline constexpr int kLimitCount = 2;

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
    std::uint16_t savedDay = 0;
    std::uint16_t savedMinute = 0;
    std::array<std::uint16_t, kLimitCount> dateUpper{};
    std::array<std::uint16_t, kLimitCount> dateLower{};
    std::array<std::uint16_t, kLimitCount> timeUpper{};
    std::array<std::uint16_t, kLimitCount> timeLower{};
};

class NgRing {
  public:
    explicit NgRing(std::uint64_t seed);

    int slotPointer() const { return m_slotPointer; }
    std::uint32_t occupancyMask() const { return m_occupancy; }
    const NgInspection& inspection(int slot) const { return m_slots[slot]; }

    // Words 9, 10 and 11 as the ring stands.
    void writeRingWords(WordMemory& words) const;

    // One 256-byte block of a slot (0..29); blocks the tool does not use are zeros.
    SlotBlock block(int slot, int block) const;

  private:
    SlotBlock imageBlock(const NgInspection& slot, int block) const;
    SlotBlock patternBlock(const NgInspection& slot, int block) const;
    SlotBlock resultBlock(const NgInspection& slot, int block) const;

    int m_slotPointer = 0;
    std::uint32_t m_occupancy = 0;
    std::vector<NgInspection> m_slots;
};

// The 768-byte result record of an inspection.
std::array<std::uint8_t, kResultRecordSize> BuildResultRecord(const NgInspection& slot);

}  // namespace torv::sim
