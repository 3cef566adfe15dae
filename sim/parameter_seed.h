#pragma once
// The word memory a freshly started simulated sensor holds: a varied parameter set (different in every
// bank, never the tool's initial set) and a small expansion dictionary.

#include <cstdint>

#include "sim/sensor_state.h"

namespace torv::sim {

// Parameter words 0..8 and 16..591: every field inside its catalogue range, the fixed bits set, and
// COMMUNIC naming `rate`. Words 9..11 (the NG ring) are left to the ring.
void SeedParameterWords(WordMemory& words, std::uint64_t seed, int rate);

// Word 12 and the records from word 672: a few user characters.
void SeedDictionary(WordMemory& words, std::uint64_t seed);

inline constexpr int kSeededDictionaryChars = 3;

}  // namespace torv::sim
