#pragma once
// The simulator's own random numbers: a small generator whose sequence is fixed by its seed on every
// platform and library, so the same --seed always gives the same sensor data.

#include <cstdint>

namespace torv::sim {

class SimRandom {
  public:
    explicit SimRandom(std::uint64_t seed) : m_state(seed) {}

    std::uint64_t next() {
        // splitmix64: good enough spread for test data, and trivially reproducible.
        m_state += 0x9E3779B97F4A7C15ULL;
        std::uint64_t z = m_state;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    // A value in lo..hi, both included.
    int between(int lo, int hi) {
        const auto span = static_cast<std::uint64_t>(hi - lo) + 1;
        return lo + static_cast<int>(next() % span);
    }

    bool chance(int percent) { return between(0, 99) < percent; }

  private:
    std::uint64_t m_state;
};

// Every generator draws from its own stream, so changing what one of them draws leaves the data of the
// others as it was.
enum class RandomStream : std::uint64_t {
    kParameters = 1,
    kDictionary = 2,
    kRecognized = 3,
    kNgRing = 4,
    kJudgements = 5,
};

inline SimRandom RandomFor(std::uint64_t seed, RandomStream stream) {
    SimRandom mixer(seed ^ (static_cast<std::uint64_t>(stream) << 56));
    return SimRandom(mixer.next());
}

}  // namespace torv::sim
