// The simulated sensor's NG ring: storing a new NG moves the pointer and the occupancy bits as the
// sensor does, the simulated line stores them on time, and every slot's record agrees with what was
// printed.

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "sim/ng_ring.h"
#include "sim/sensor_model.h"

namespace torv::sim {
namespace {

using namespace std::chrono_literals;

std::string TwoDigits(int value) {
    return {static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)};
}

TEST(SimNgRing, StoringMovesThePointerAndSetsTheSlotsBitInWords9To11) {
    WordMemory words(kWordCount, 0);
    NgRing ring(5, words);
    words[kSlotPointerWord] = 0x1200 | 29;  // the high byte is not the pointer's
    words[kOccupancyLowWord] = 0;
    words[kOccupancyHighWord] = 0;
    NgInspection stored = ring.nextInspection();
    stored.bank = 13;
    ring.storeInspection(stored);
    EXPECT_EQ(words[kSlotPointerWord], 0x1200);
    EXPECT_EQ(words[kOccupancyHighWord], 1U << 13);  // slot 29
    EXPECT_EQ(words[kOccupancyLowWord], 0);
    EXPECT_EQ(ring.block(29, kFirstResultBlock + 2)[584 - 512], 13);
    ring.storeInspection(ring.nextInspection());
    EXPECT_EQ(ring.slotPointer(), 1);
    EXPECT_EQ(ring.occupancyMask(), (1U << 29) | 1U);
    // A pointer outside the ring, as a `W` could leave it, is taken modulo 30.
    words[kSlotPointerWord] = 31;
    ring.storeInspection(ring.nextInspection());
    EXPECT_EQ(ring.slotPointer(), 2);
    EXPECT_EQ(ring.occupancyMask(), (1U << 29) | 3U);
}

TEST(SimNgRing, NewInspectionsAreLaterThanTheNewestAndTheSameForTheSameSeed) {
    WordMemory a(kWordCount, 0);
    WordMemory b(kWordCount, 0);
    NgRing first(9, a);
    NgRing second(9, b);
    const int newestSlot = (first.slotPointer() + kNgSlotCount - 1) % kNgSlotCount;
    const NgInspection& newest = first.inspection(newestSlot);
    const NgInspection next = first.nextInspection();
    EXPECT_GT(next.savedDay * kMinutesPerDay + next.savedMinute,
              newest.savedDay * kMinutesPerDay + newest.savedMinute);
    EXPECT_EQ(BuildResultRecord(next), BuildResultRecord(second.nextInspection()));
}

TEST(SimNgRing, TheLineStoresAnNgEveryIntervalOnceTheClockRuns) {
    SensorModel model(3, kDefaultRate, "0105");
    const int pointer = model.ngRing().slotPointer();
    model.advanceTo(SimTime(0));  // without an interval nothing happens
    model.advanceTo(SimTime(10s));
    EXPECT_EQ(model.ngRing().slotPointer(), pointer);
    model.setNgInterval(SimTime(2s));
    model.advanceTo(SimTime(100s));  // the clock starts here
    model.advanceTo(SimTime(105s));
    EXPECT_EQ(model.ngRing().slotPointer(), (pointer + 2) % kNgSlotCount);
    EXPECT_EQ(model.state().words[kSlotPointerWord] & 0xFF, (pointer + 2) % kNgSlotCount);
}

// What the record says agrees with what was printed: a found date format is the printed date, a found
// time the printed time, the saved time lies within time check 1, and a format whose line holds a
// poorly matched character found nothing.
TEST(SimNgRing, RecordsAgreeWithThePrintedLines) {
    WordMemory words(kWordCount, 0);
    NgRing ring(1, words);
    int checkedDates = 0;
    for (int slot = 0; slot < kNgSlotCount; ++slot) {
        const NgInspection& in = ring.inspection(slot);
        ASSERT_LE(in.characters.size(), static_cast<std::size_t>(kMaxRecordChars));
        EXPECT_GE(in.savedMinute, in.timeLower[0]);
        EXPECT_LE(in.savedMinute, in.timeUpper[0]);
        for (std::size_t line = 0; line < in.lines.size(); ++line) {
            std::string printed;
            bool poor = false;
            for (int index : in.lines[line]) {
                const NgCharacter& c = in.characters[static_cast<std::size_t>(index)];
                printed += c.printed;
                poor = poor || std::min(c.numericalDifference, c.alphabeticDifference) > kPoorMatchDifference;
                EXPECT_EQ(c.startsLine, line > 0 && index == in.lines[line].front());
            }
            const std::uint16_t value = in.formatValues[line];
            EXPECT_EQ(value == 0xFFFF, poor) << slot << " line " << line;
            if (line == 0 && value != 0xFFFF) {
                EXPECT_EQ(printed, PrintedDate(value));
                ++checkedDates;
            }
            if (line == 1 && value != 0xFFFF) {
                EXPECT_EQ(printed, TwoDigits(value / 60) + TwoDigits(value % 60));
            }
        }
    }
    EXPECT_GT(checkedDates, 0);
    EXPECT_EQ(PrintedDate(0), "000101");
    EXPECT_EQ(PrintedDate(59), "000229");
    EXPECT_EQ(PrintedDate(9497), "260101");
}

}  // namespace
}  // namespace torv::sim
