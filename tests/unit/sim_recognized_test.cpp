// torvsim's recognized characters: a new reading with every product the line reads, handed over at
// `S 6,0` and held while the tool reads its patterns; plane B the font shape, plane A now and then a
// dot off it; a fixed text stays fixed.

#include <gtest/gtest.h>

#include <algorithm>
#include <bitset>
#include <chrono>
#include <set>

#include "sim/recognized_line.h"

namespace torv::sim {
namespace {

using namespace std::chrono_literals;

int DotsOff(const CharacterPattern& pattern) {
    int off = 0;
    for (int row = 0; row < kGridSize; ++row) {
        off += static_cast<int>(std::bitset<8>(pattern[row] ^ pattern[8 + row]).count());
    }
    return off;
}

TEST(SimRecognized, EachProductReadsAfreshAndAReadKeepsTheOneHandedOver) {
    RecognizedLine line(1);
    line.setInterval(1s);
    line.advanceTo(SimTime(0));
    const RecognizedReading first = line.newest();
    ASSERT_EQ(line.handOver(), static_cast<int>(first.size()));
    line.advanceTo(SimTime(1500ms));
    EXPECT_EQ(TextOf(line.newest()), TextOf(ProductReading(1, 1)));
    // The patterns still come from the reading handed over, until the next `S 6,0`.
    EXPECT_EQ(line.patternPair(0, 0),
              (std::array<std::uint8_t, 2>{first[0].pattern[0], first[0].pattern[1]}));
    EXPECT_EQ(line.patternPair(static_cast<int>(first.size()), 0), (std::array<std::uint8_t, 2>{0, 0}));
    EXPECT_EQ(line.handOver(), static_cast<int>(ProductReading(1, 1).size()));

    std::set<std::size_t> counts;
    int marked = 0;
    for (int product = 0; product < 20; ++product) {
        const RecognizedReading reading = ProductReading(1, product);
        counts.insert(reading.size());
        for (const RecognizedCharacter& c : reading) {
            const GlyphRows shape = Glyph(c.code);
            const CharacterPattern clean = MakePattern(shape, shape);
            EXPECT_TRUE(std::equal(clean.begin() + 8, clean.end(), c.pattern.begin() + 8))
                << c.code;  // plane B
            EXPECT_LE(DotsOff(c.pattern), 1) << c.code;
            marked += DotsOff(c.pattern);
        }
    }
    EXPECT_GT(counts.size(), 2U);
    EXPECT_GT(marked, 0);
}

TEST(SimRecognized, AFixedTextStaysWhateverTheTime) {
    RecognizedLine line(1);
    line.setInterval(1s);
    line.readAlways("A12");
    line.advanceTo(SimTime(0));
    line.advanceTo(SimTime(10s));
    EXPECT_EQ(TextOf(line.newest()), "A12");
    EXPECT_EQ(line.handOver(), 3);
    EXPECT_EQ(TextOf(FixedReading(1, "")), "");
}

}  // namespace
}  // namespace torv::sim
