#pragma once
// The exchanges that fetch NG slots: words 9..11 of the ring with `R`, and slot blocks with `V`. The
// NG operations and the character read from NG data share them.

#include <cstdint>
#include <span>
#include <string>

#include "engine/operation_run.h"
#include "ngdata/ng_slots.h"

namespace torv {

// `R` 9, 10 and 11. False, with the run failed, when a reply failed.
bool ReadRingWords(OperationRun& run, NgRingWords& ring);

// The slot of NgDataNumber when it holds an NG. Otherwise -1 with the run failed: the vanished-NG text
// (`kNgDataGone`) when the slot is not occupied, the invalid-response text (`kInvalidResponse`) when the
// sensor named a slot pointer outside the ring.
int FindNgDataSlot(OperationRun& run, const NgRingWords& ring);

// Why words 9..11 name no slot: the pointer the sensor reported lies outside the ring.
std::string SlotPointerProblem(const NgRingWords& ring);

// `V` slot, block: the 256-byte reply into `destination`. False, with the run failed, when the reply
// failed.
bool ReadSlotBlock(OperationRun& run, int slot, int block,
                   std::span<std::uint8_t, kSlotBlockSize> destination);

// Block `index` (0..) of a buffer of consecutive slot blocks.
template <std::size_t N>
std::span<std::uint8_t, kSlotBlockSize> BlockOf(std::array<std::uint8_t, N>& buffer, int index) {
    static_assert(N % kSlotBlockSize == 0);
    return std::span<std::uint8_t, kSlotBlockSize>(
        buffer.data() + static_cast<std::size_t>(index) * kSlotBlockSize, kSlotBlockSize);
}

}  // namespace torv
