#pragma once
// The sensor's ring of 30 stored NG inspections. Words 9..11 of the sensor's memory are the ring's
// pointer and occupancy mask: the ring keeps them up to date and reads them back, so a state file or a
// `W` to them counts.

#include <cstdint>
#include <vector>

#include "sim/sensor_state.h"
#include "sim/sim_random.h"
#include "sim/stored_ng.h"

namespace torv::sim {

inline constexpr int kNgSlotCount = 30;

class NgRing {
  public:
    // Fills the ring from the seed and writes words 9..11 into `words`, which must outlive the ring.
    NgRing(std::uint64_t seed, WordMemory& words);

    // As words 9..11 tell it.
    int slotPointer() const;
    std::uint32_t occupancyMask() const;
    const NgInspection& inspection(int slot) const { return m_slots.at(static_cast<std::size_t>(slot)); }

    // What the line stores next: an inspection saved a few minutes after the newest one so far, drawn
    // from the seed's sequence (the same seed gives the same inspections in the same order).
    NgInspection nextInspection();

    // Stores an NG as the sensor does: into the slot at the pointer, which then moves on (29 wraps to
    // 0); the slot's occupancy bit is set. Words 9..11 follow.
    void storeInspection(NgInspection inspection);

    // One 256-byte block of a slot (0..29); blocks the tool does not use, and slots outside the ring,
    // are zeros.
    SlotBlock block(int slot, int block) const;

  private:
    void writeRingWords(int pointer, std::uint32_t occupancy);

    WordMemory& m_words;
    SimRandom m_random;
    std::uint16_t m_newestDay = 0;
    std::uint16_t m_newestMinute = 0;
    std::vector<NgInspection> m_slots;
};

}  // namespace torv::sim
