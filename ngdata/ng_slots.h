#pragma once
// The sensor's ring of 30 NG slots and how a slot is handed over: words 9..11 tell the slot pointer
// (where the next NG goes; the newest is just before it) and which slots are occupied, and `V` reads
// a slot in 256-byte blocks: the screen image, the character patterns and the result record.

#include <array>
#include <cstdint>

#include "dictionary/dot_pattern.h"

namespace torv {

inline constexpr int kNgSlotCount = 30;
inline constexpr int kNgDataNumberCount = kNgSlotCount;  // the combo's "1" (newest) .. "30"
inline constexpr int kSlotBlockSize = 256;

// Words of the ring.
inline constexpr int kSlotPointerWord = 9;
inline constexpr int kOccupancyLowWord = 10;
inline constexpr int kOccupancyHighWord = 11;
inline constexpr std::uint32_t kOccupancySlotBits = 0x3FFFFFFF;  // bits 30 and 31 mean nothing

// Blocks of a slot.
inline constexpr int kImageLineCount = 122;
inline constexpr int kBlocksPerImageLine = 2;  // columns 0..127, then 128..255
inline constexpr int kImageLineBytes = kBlocksPerImageLine * kSlotBlockSize;
inline constexpr int kFirstPatternBlock = 246;
inline constexpr int kPatternBlockCount = 3;
inline constexpr int kPatternsPerBlock = kSlotBlockSize / kPatternSize;
inline constexpr int kMaxNgCharacters = kPatternBlockCount * kPatternsPerBlock;  // 48
inline constexpr int kFirstRecordBlock = 249;
inline constexpr int kRecordBlockCount = 3;
inline constexpr int kResultRecordSize = kRecordBlockCount * kSlotBlockSize;

using SlotBlock = std::array<std::uint8_t, kSlotBlockSize>;
// Blocks 246..248 in a row: pattern j at byte 16j.
using NgPatternBlocks = std::array<std::uint8_t, kPatternBlockCount * kSlotBlockSize>;
using ResultRecordBytes = std::array<std::uint8_t, kResultRecordSize>;

// What words 9..11 said.
struct NgRingWords {
    std::uint16_t slotPointerWord = 0;
    std::uint32_t occupancy = 0;  // word 11 in the high half
};

// The slot pointer (the low byte of word 9), or -1 when it names no slot: only 0..29 exist, and a
// larger pointer is an invalid reply that must never index past the ring.
int SlotPointer(const NgRingWords& ring);

// The slot of NG data number `number` (1 the newest .. 30; 0 is the slot at the pointer itself), or
// -1 when the pointer or the number is out of range.
int SlotOfNgDataNumber(const NgRingWords& ring, int number);

bool SlotOccupied(const NgRingWords& ring, int slot);

// How many slots the conversion to CSV fetches: the position of the highest occupied bit among
// 0..29, plus one (0 when none is set). The slots in between count whether set or not.
int CountedSlots(const NgRingWords& ring);

// The slot `age` places before `newest` around the ring (0..29).
int SlotBefore(int newest, int age);

// Pattern j (0..47) of the pattern blocks.
CharacterPattern NgPattern(const NgPatternBlocks& blocks, int j);

}  // namespace torv
