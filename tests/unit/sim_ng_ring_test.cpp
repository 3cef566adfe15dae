// The simulated sensor's NG ring: what the `V` blocks of a stored inspection carry.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "sim/ng_ring.h"

namespace torv::sim {
namespace {

int Word(const std::uint8_t* at) {
    return at[0] | (at[1] << 8);
}

std::vector<std::uint8_t> Record(const NgRing& ring, int slot) {
    std::vector<std::uint8_t> record;
    for (int b = kFirstResultBlock; b < kFirstResultBlock + kResultBlockCount; ++b) {
        const SlotBlock block = ring.block(slot, b);
        record.insert(record.end(), block.begin(), block.end());
    }
    return record;
}

TEST(SimNgRing, ResultRecordDescribesTheInspection) {
    const NgRing ring(11);
    for (int slot = 0; slot < kNgSlotCount; ++slot) {
        const NgInspection& in = ring.inspection(slot);
        const std::vector<std::uint8_t> r = Record(ring, slot);
        const int n = r[568];
        ASSERT_EQ(n, static_cast<int>(in.characters.size()));
        for (int i = 0; i < n; ++i) {
            const NgCharacter& c = in.characters[i];
            EXPECT_EQ(r[208 + 2 * i], c.numericalDifference);
            EXPECT_EQ(r[209 + 2 * i] & 0x7F, c.numerical);
            EXPECT_EQ((r[209 + 2 * i] & 0x80) != 0, c.startsLine);
            EXPECT_EQ(r[329 + 2 * i] & 0x7F, c.alphabetic);
        }
        EXPECT_EQ(r[584], in.bank);
        EXPECT_LT(in.bank, kBankCount);
        EXPECT_EQ(r[578], in.formatKinds);
        EXPECT_EQ(Word(&r[580]), in.savedDay);
        EXPECT_LT(Word(&r[582]), 1440);
        EXPECT_LE(Word(&r[590]), Word(&r[586])) << "date limits in order";
        EXPECT_LE(Word(&r[598]), Word(&r[594])) << "time limits in order";
    }
}

TEST(SimNgRing, PatternBlocksHoldOnePatternPerCharacter) {
    const NgRing ring(12);
    for (int slot = 0; slot < kNgSlotCount; ++slot) {
        const int n = static_cast<int>(ring.inspection(slot).characters.size());
        for (int j = 0; j < kMaxRecordChars; ++j) {
            const SlotBlock block = ring.block(slot, kFirstPatternBlock + j / 16);
            const std::uint8_t* pattern = &block[16 * (j % 16)];
            int planeA = 0;
            for (int b = 0; b < 7; ++b) {
                EXPECT_EQ(pattern[b] & 0x80, 0);
                planeA += pattern[b];
            }
            EXPECT_EQ(planeA > 0, j < n) << "slot " << slot << " pattern " << j;
        }
    }
}

TEST(SimNgRing, ImageShowsDarkCharactersOnAGrayGradient) {
    const NgRing ring(13);
    int ink = 0;
    for (int block = 0; block < kImageBlockCount; ++block) {
        const SlotBlock b = ring.block(0, block);
        for (int k = 0; k < kBlockSize / 2; ++k) {
            const int w = Word(&b[2 * k]);
            const int gray = (w >> 1) & 0x3F;
            EXPECT_EQ(w & 1, 0);
            if (((w >> 13) & 7) != 0) {
                ++ink;
                EXPECT_LT(gray, 16) << "characters print dark";
            } else {
                EXPECT_GE(gray, 16) << "the background is light";
            }
        }
    }
    EXPECT_GT(ink, 0);
    for (int block : {244, 245, 252, 255, -1, 256}) {
        EXPECT_EQ(ring.block(0, block), SlotBlock{}) << block;
    }
    EXPECT_EQ(ring.block(kNgSlotCount, 0), SlotBlock{});
}

}  // namespace
}  // namespace torv::sim
