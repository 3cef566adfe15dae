#include "ngdata/ng_slot_reader.h"

#include "link/frames.h"

namespace torv {
namespace {

constexpr int kWordBits = 16;

}  // namespace

bool ReadRingWords(OperationRun& run, NgRingWords& ring) {
    std::uint16_t low = 0;
    std::uint16_t high = 0;
    if (!run.readWord(kSlotPointerWord, ring.slotPointerWord) || !run.readWord(kOccupancyLowWord, low) ||
        !run.readWord(kOccupancyHighWord, high)) {
        return false;
    }
    ring.occupancy = low | (static_cast<std::uint32_t>(high) << kWordBits);
    return true;
}

int FindNgDataSlot(OperationRun& run, const NgRingWords& ring) {
    if (SlotPointer(ring) < 0) {
        run.fail(StringId::kInvalidResponse);
        return -1;
    }
    const int slot = SlotOfNgDataNumber(ring, run.state().NgDataNumber);
    if (!SlotOccupied(ring, slot)) {
        run.fail(StringId::kNgDataGone);
        return -1;
    }
    return slot;
}

bool ReadSlotBlock(OperationRun& run, int slot, int block,
                   std::span<std::uint8_t, kSlotBlockSize> destination) {
    static_assert(kSlotBlockSize == kBlockReplySize);
    OperationState& state = run.state();
    state.CommandBuffer = {static_cast<std::uint8_t>(slot), static_cast<std::uint8_t>(block)};
    SendCommand(run.port(), kReadBlockCommand, state.CommandBuffer.data(), 2);
    if (ReceiveReply(run.port(), destination.data(), kSlotBlockSize, kReplyTimeoutMs, state.LastErrorText) ==
        0) {
        run.failWithLastError();
        return false;
    }
    return true;
}

}  // namespace torv
