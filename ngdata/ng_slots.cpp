#include "ngdata/ng_slots.h"

#include <algorithm>

namespace torv {
namespace {

constexpr int kSlotPointerMask = 0xFF;

}  // namespace

int SlotPointer(const NgRingWords& ring) {
    const int pointer = ring.slotPointerWord & kSlotPointerMask;
    return pointer < kNgSlotCount ? pointer : -1;
}

int SlotOfNgDataNumber(const NgRingWords& ring, int number) {
    const int pointer = SlotPointer(ring);
    if (pointer < 0 || number < 0 || number > kNgDataNumberCount) {
        return -1;
    }
    const int slot = pointer - number;
    return slot < 0 ? slot + kNgSlotCount : slot;
}

bool SlotOccupied(const NgRingWords& ring, int slot) {
    return slot >= 0 && slot < kNgSlotCount && (ring.occupancy & (1U << slot)) != 0;
}

int CountedSlots(const NgRingWords& ring) {
    int count = 0;
    for (std::uint32_t mask = ring.occupancy & kOccupancySlotBits; mask != 0; mask >>= 1) {
        ++count;
    }
    return count;
}

int SlotBefore(int newest, int age) {
    const int slot = (newest - age) % kNgSlotCount;
    return slot < 0 ? slot + kNgSlotCount : slot;
}

CharacterPattern NgPattern(const NgPatternBlocks& blocks, int j) {
    CharacterPattern pattern{};
    const auto first =
        blocks.begin() + static_cast<std::ptrdiff_t>(std::clamp(j, 0, kMaxNgCharacters - 1)) * kPatternSize;
    std::copy_n(first, kPatternSize, pattern.begin());
    return pattern;
}

}  // namespace torv
