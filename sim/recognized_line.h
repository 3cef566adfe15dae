#pragma once
// The characters the sensor has just recognized, as a running line makes them: every product it reads
// gives a new text (a best-before date, a time, a lot code, or a few of them), so the count changes
// from one product to the next. Each character's pattern holds in plane A the dots the camera saw (now
// and then a dot too many or missing) and in plane B the font shape it was matched with. `S 6,0`
// takes the newest reading as the one the sensor hands over, and `S 8c+j,1` reads from that one, so a
// tool's read never mixes two products.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/glyphs.h"
#include "sim/judgement_stream.h"

namespace torv::sim {

inline constexpr int kMaxRecognizedCount = 255;  // the count travels in one byte

struct RecognizedCharacter {
    char code;
    CharacterPattern pattern;
};
using RecognizedReading = std::vector<RecognizedCharacter>;

class RecognizedLine {
  public:
    explicit RecognizedLine(std::uint64_t seed);

    // From now on every product reads `text` (at most 255 characters; empty: nothing read), always
    // with the same dots: a line printing a fixed text.
    void readAlways(const std::string& text);
    // A new product every `interval`, counted from the first time the line is told the time; zero:
    // the line stands and its latest reading stays.
    void setInterval(SimTime interval) { m_interval = interval; }
    void advanceTo(SimTime now);

    const RecognizedReading& newest() const { return m_newest; }
    // `S 6,0`: the newest reading becomes the one handed over; its count.
    int handOver();
    // `S 8c+j,1`: bytes 2j and 2j + 1 of character c of the reading handed over; zeros past its end.
    std::array<std::uint8_t, 2> patternPair(int character, int pair) const;

  private:
    std::uint64_t m_seed;
    SimTime m_interval{};
    std::optional<SimTime> m_start;
    std::int64_t m_product = 0;
    bool m_fixed = false;
    RecognizedReading m_newest;
    RecognizedReading m_handedOver;
};

// What product `product` (0, 1, ...) of the line reads, from the seed.
RecognizedReading ProductReading(std::uint64_t seed, std::int64_t product);
// `text` read with the dots a line printing it always gives, from the seed.
RecognizedReading FixedReading(std::uint64_t seed, const std::string& text);

std::string TextOf(const RecognizedReading& reading);

}  // namespace torv::sim
