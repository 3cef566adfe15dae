#include "sim/ng_ring.h"

#include <algorithm>
#include <utility>

namespace torv::sim {
namespace {

// Dates and times: day 0 is 1 Jan 2000; the newest NG is a few years later. Older ones lie from a
// quarter of an hour to a few hours apart, and the line stores new ones at the same pace.
constexpr int kNewestDayLow = 9400;
constexpr int kNewestDayHigh = 9700;
constexpr int kGapLowMinutes = 15;
constexpr int kGapHighMinutes = 300;
constexpr int kMinOccupied = 6;
constexpr int kSlotPointerMask = 0xFF;  // the high byte of word 9 is not the pointer's
constexpr std::uint32_t kWordMask = 0xFFFF;
constexpr int kWordBits = 16;

int RingSlot(int slot) {
    return ((slot % kNgSlotCount) + kNgSlotCount) % kNgSlotCount;
}

struct SavedAt {
    int day;
    int minute;
};

SavedAt MoveMinutes(SavedAt at, int minutes) {
    const int total = at.day * kMinutesPerDay + at.minute + minutes;
    return {total / kMinutesPerDay, total % kMinutesPerDay};
}

}  // namespace

NgRing::NgRing(std::uint64_t seed, WordMemory& words)
    : m_words(words), m_random(RandomFor(seed, RandomStream::kNgRing)) {
    const int pointer = m_random.between(0, kNgSlotCount - 1);
    const int occupied = m_random.between(kMinOccupied, kNgSlotCount);
    SavedAt at{m_random.between(kNewestDayLow, kNewestDayHigh), m_random.between(0, kMinutesPerDay - 1)};
    m_newestDay = static_cast<std::uint16_t>(at.day);
    m_newestMinute = static_cast<std::uint16_t>(at.minute);
    m_slots.resize(kNgSlotCount);
    std::uint32_t occupancy = 0;
    for (int age = 0; age < kNgSlotCount; ++age) {
        // The newest NG lies just before the slot pointer, older ones further back around the ring.
        const int slot = RingSlot(pointer - 1 - age);
        m_slots[static_cast<std::size_t>(slot)] = GenerateInspection(
            static_cast<std::uint16_t>(at.day), static_cast<std::uint16_t>(at.minute), m_random);
        if (age < occupied) {
            occupancy |= 1U << slot;
        }
        at = MoveMinutes(at, -m_random.between(kGapLowMinutes, kGapHighMinutes));
    }
    writeRingWords(pointer, occupancy);
}

int NgRing::slotPointer() const {
    return m_words[kSlotPointerWord] & kSlotPointerMask;
}

std::uint32_t NgRing::occupancyMask() const {
    return m_words[kOccupancyLowWord] |
           (static_cast<std::uint32_t>(m_words[kOccupancyHighWord]) << kWordBits);
}

NgInspection NgRing::nextInspection() {
    const SavedAt at =
        MoveMinutes({m_newestDay, m_newestMinute}, m_random.between(kGapLowMinutes, kGapHighMinutes));
    m_newestDay = static_cast<std::uint16_t>(at.day);
    m_newestMinute = static_cast<std::uint16_t>(at.minute);
    return GenerateInspection(m_newestDay, m_newestMinute, m_random);
}

void NgRing::storeInspection(NgInspection inspection) {
    // A pointer outside the ring (only a `W` can put one there) is taken modulo 30, as the sensor's
    // own ring arithmetic would.
    const int slot = RingSlot(slotPointer());
    m_slots[static_cast<std::size_t>(slot)] = std::move(inspection);
    writeRingWords(RingSlot(slot + 1), occupancyMask() | (1U << slot));
}

void NgRing::writeRingWords(int pointer, std::uint32_t occupancy) {
    // The pointer's high byte is left as it was: the sensor keeps other state there.
    m_words[kSlotPointerWord] =
        static_cast<std::uint16_t>((m_words[kSlotPointerWord] & ~kSlotPointerMask) | pointer);
    m_words[kOccupancyLowWord] = static_cast<std::uint16_t>(occupancy & kWordMask);
    m_words[kOccupancyHighWord] = static_cast<std::uint16_t>(occupancy >> kWordBits);
}

SlotBlock NgRing::block(int slot, int block) const {
    if (slot < 0 || slot >= kNgSlotCount) {
        return SlotBlock{};
    }
    const NgInspection& inspection = m_slots[static_cast<std::size_t>(slot)];
    if (block >= 0 && block < kImageBlockCount) {
        return ScreenImageBlock(inspection, block);
    }
    if (block >= kFirstPatternBlock && block < kFirstPatternBlock + kPatternBlockCount) {
        return PatternBlock(inspection, block - kFirstPatternBlock);
    }
    if (block >= kFirstResultBlock && block < kFirstResultBlock + kResultBlockCount) {
        const auto record = BuildResultRecord(inspection);
        SlotBlock out{};
        std::copy_n(record.begin() + (block - kFirstResultBlock) * kBlockSize, kBlockSize, out.begin());
        return out;
    }
    return SlotBlock{};
}

}  // namespace torv::sim
