#include "ngdata/ng_slot_reader.h"

#include "link/frames.h"

namespace torv {
namespace {

constexpr int kWordBits = 16;
constexpr int kSlotPointerByte = 0xFF;

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

std::string SlotPointerProblem(const NgRingWords& ring) {
    return "The sensor reported slot pointer " + std::to_string(ring.slotPointerWord & kSlotPointerByte) +
           "; its NG ring has the slots 0 to " + std::to_string(kNgSlotCount - 1) + ".";
}

int FindNgDataSlot(OperationRun& run, const NgRingWords& ring) {
    if (SlotPointer(ring) < 0) {
        run.fail(StringId::kInvalidResponse, SlotPointerProblem(ring));
        return -1;
    }
    const int number = run.state().NgDataNumber;
    const int slot = SlotOfNgDataNumber(ring, number);
    if (!SlotOccupied(ring, slot)) {
        run.fail(StringId::kNgDataGone,
                 slot < 0 ? "NG data number " + std::to_string(number) + " is not one of 1 to 30."
                          : "NG data number " + std::to_string(number) + " is slot " + std::to_string(slot) +
                                " of the sensor's NG ring, which the sensor marks as empty.");
        return -1;
    }
    return slot;
}

bool ReadSlotBlock(OperationRun& run, int slot, int block,
                   std::span<std::uint8_t, kSlotBlockSize> destination) {
    static_assert(kSlotBlockSize == kBlockReplySize);
    run.state().CommandBuffer = {static_cast<std::uint8_t>(slot), static_cast<std::uint8_t>(block)};
    return run.exchangeInto(kReadBlockCommand, destination);
}

}  // namespace torv
