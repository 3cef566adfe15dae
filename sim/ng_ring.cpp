#include "sim/ng_ring.h"

#include <algorithm>
#include <string_view>

#include "sim/sim_random.h"

namespace torv::sim {
namespace {

// Result record offsets.
constexpr int kNumericalOffset = 208;
constexpr int kAlphabeticOffset = 328;
constexpr int kDictionaryOffset = 448;
constexpr int kFormatValueOffset = 570;
constexpr int kFormatKindOffset = 578;
constexpr int kSavedDayOffset = 580;
constexpr int kSavedMinuteOffset = 582;
constexpr int kBankOffset = 584;
constexpr int kDateUpperOffset = 586;
constexpr int kDateLowerOffset = 590;
constexpr int kTimeUpperOffset = 594;
constexpr int kTimeLowerOffset = 598;
constexpr std::uint8_t kNewLineBit = 0x80;
constexpr std::uint8_t kCharBits = 0x7F;

// Format kinds, two bits each, format 1 in the top bits.
constexpr int kKindDate = 1;
constexpr int kKindTime = 2;
constexpr int kKindString = 3;
constexpr std::uint16_t kFormatNotFound = 0xFFFF;

// Screen image: 122 lines of 256 pixels, characters drawn 4 pixels a dot.
constexpr int kImageColumns = 256;
constexpr int kHalfLineColumns = 128;
constexpr int kDotPixels = 4;
constexpr int kGlyphPixels = kGridSize * kDotPixels;
constexpr int kCharPitch = 32;
constexpr int kLinePitch = 38;
constexpr int kTextLeft = 12;
constexpr int kTextTop = 10;
constexpr int kWindowMargin = 4;
constexpr int kMaxLines = 3;
constexpr int kMaxCharsPerLine = 7;
constexpr int kBackgroundGray = 30;
constexpr int kGradientStep = 16;  // columns per gray level
constexpr int kInkGray = 6;
constexpr int kFullComponent = 7;
constexpr int kGrayShift = 1;
constexpr int kBlueShift = 7;
constexpr int kRedShift = 10;
constexpr int kGreenShift = 13;

// Dates and times: day 0 is 1 Jan 2000; recent inspections are a few years later.
constexpr int kNewestDayLow = 9400;
constexpr int kNewestDayHigh = 9700;
constexpr int kMinutesPerDay = 1440;
constexpr int kDateWindowAhead = 365;
constexpr int kDateWindowBehind = 30;
constexpr int kTimeWindow = 120;
constexpr int kSlotsPerDay = 3;
constexpr int kMinOccupied = 6;

constexpr std::string_view kDigits = "0123456789";
constexpr std::string_view kLetters = "ABCDEGHKLPSTXZ";

void PutWord(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value & 0xFF);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

char BestCharacter(const NgCharacter& c) {
    return c.numericalDifference <= c.alphabeticDifference ? c.numerical : c.alphabetic;
}

NgCharacter ReadCharacter(char printed, bool startsLine, SimRandom& random) {
    constexpr int kGoodHigh = 25;
    constexpr int kPoorLow = 30;
    constexpr int kPoorHigh = 90;
    constexpr int kDictionaryHigh = 3;
    NgCharacter c;
    c.printed = printed;
    c.startsLine = startsLine;
    const bool digit = kDigits.find(printed) != std::string_view::npos;
    c.numerical = digit ? printed : DigitLookalike(printed);
    c.alphabetic = digit ? LetterLookalike(printed) : printed;
    const auto good = static_cast<std::uint8_t>(random.between(0, kGoodHigh));
    const auto poor = static_cast<std::uint8_t>(random.between(kPoorLow, kPoorHigh));
    c.numericalDifference = digit ? good : poor;
    c.alphabeticDifference = digit ? poor : good;
    c.numericalDictionary = static_cast<std::uint8_t>(random.between(0, kDictionaryHigh));
    c.alphabeticDictionary = static_cast<std::uint8_t>(random.between(0, kDictionaryHigh));
    return c;
}

// The character that made the inspection NG: a print defect, and a poor match in both dictionaries.
void SpoilCharacter(NgCharacter& c, GlyphRows& seen, SimRandom& random) {
    constexpr int kPenalty = 90;
    constexpr int kMaxDifference = 255;
    c.numericalDifference =
        static_cast<std::uint8_t>(std::min(kMaxDifference, c.numericalDifference + kPenalty));
    c.alphabeticDifference =
        static_cast<std::uint8_t>(std::min(kMaxDifference, c.alphabeticDifference + kPenalty));
    seen[random.between(0, kGridSize - 1)] ^=
        static_cast<std::uint8_t>(1U << random.between(0, kGridSize - 1));
}

void GenerateCharacters(NgInspection& slot, SimRandom& random) {
    const int lineCount = random.between(1, kMaxLines);
    for (int line = 0; line < lineCount; ++line) {
        const int length = random.between(3, kMaxCharsPerLine);
        // The middle line reads like a lot code, the others like dates.
        const std::string_view pool = line == 1 ? kLetters : kDigits;
        slot.lines.emplace_back();
        for (int i = 0; i < length; ++i) {
            const bool fromPool = i == 0 || line != 1;
            const std::string_view from = fromPool ? pool : kDigits;
            const char printed = from[random.between(0, static_cast<int>(from.size()) - 1)];
            slot.lines.back().push_back(static_cast<int>(slot.characters.size()));
            slot.characters.push_back(ReadCharacter(printed, line > 0 && i == 0, random));
        }
    }
    const int spoiled = random.between(0, static_cast<int>(slot.characters.size()) - 1);
    for (int i = 0; i < static_cast<int>(slot.characters.size()); ++i) {
        NgCharacter& c = slot.characters[i];
        GlyphRows seen = Glyph(c.printed);
        if (i == spoiled) {
            SpoilCharacter(c, seen, random);
        }
        c.pattern = MakePattern(seen, Glyph(BestCharacter(c)));
    }
}

void GenerateFormats(NgInspection& slot, SimRandom& random) {
    const bool withString = random.chance(50);
    slot.formatKinds =
        static_cast<std::uint8_t>((kKindDate << 6) | (kKindTime << 4) | (withString ? kKindString << 2 : 0));
    slot.formatValues = {slot.savedDay, slot.savedMinute, kFormatNotFound, kFormatNotFound};
    if (withString && random.chance(50)) {
        slot.formatValues[2] = 0;
    }
    if (random.chance(25)) {
        slot.formatValues[0] = kFormatNotFound;  // the date was not found: another reason for an NG
    }
    for (int k = 0; k < kLimitCount; ++k) {
        slot.dateUpper[k] = static_cast<std::uint16_t>(slot.savedDay + kDateWindowAhead);
        slot.dateLower[k] = static_cast<std::uint16_t>(slot.savedDay - kDateWindowBehind);
        slot.timeUpper[k] =
            static_cast<std::uint16_t>(std::min(kMinutesPerDay - 1, slot.savedMinute + kTimeWindow));
        slot.timeLower[k] = static_cast<std::uint16_t>(std::max(0, slot.savedMinute - kTimeWindow));
    }
}

NgInspection GenerateInspection(int age, int newestDay, SimRandom& random) {
    NgInspection slot;
    slot.bank = static_cast<std::uint8_t>(random.between(0, kBankCount - 1));
    slot.savedDay = static_cast<std::uint16_t>(newestDay - age / kSlotsPerDay);
    slot.savedMinute = static_cast<std::uint16_t>(random.between(0, kMinutesPerDay - 1));
    GenerateCharacters(slot, random);
    GenerateFormats(slot, random);
    return slot;
}

std::uint16_t PixelWord(int gray, int blue, int red, int green) {
    return static_cast<std::uint16_t>((gray << kGrayShift) | (blue << kBlueShift) | (red << kRedShift) |
                                      (green << kGreenShift));
}

// Whether the printed character under (line, column) has a dot there.
bool InkAt(const NgInspection& slot, int line, int column) {
    const int textLine = (line - kTextTop) / kLinePitch;
    const int charIndex = (column - kTextLeft) / kCharPitch;
    if (line < kTextTop || column < kTextLeft || textLine >= static_cast<int>(slot.lines.size()) ||
        charIndex >= static_cast<int>(slot.lines[textLine].size())) {
        return false;
    }
    const int y = (line - kTextTop) % kLinePitch;
    const int x = (column - kTextLeft) % kCharPitch;
    if (y >= kGlyphPixels || x >= kGlyphPixels) {
        return false;
    }
    const CharacterPattern& pattern = slot.characters[slot.lines[textLine][charIndex]].pattern;
    const std::uint8_t row = pattern[kGridSize - 1 - y / kDotPixels];  // plane A, bottom row first
    return (row & (0x40 >> (x / kDotPixels))) != 0;
}

// The red outline of the inspection window around the text.
bool WindowEdgeAt(const NgInspection& slot, int line, int column) {
    const int top = kTextTop - kWindowMargin;
    const int left = kTextLeft - kWindowMargin;
    const int bottom = kTextTop + static_cast<int>(slot.lines.size()) * kLinePitch;
    const int right = kTextLeft + kMaxCharsPerLine * kCharPitch;
    const bool inRows = line >= top && line <= bottom;
    const bool inColumns = column >= left && column <= right;
    return (inRows && (column == left || column == right)) || (inColumns && (line == top || line == bottom));
}

}  // namespace

NgRing::NgRing(std::uint64_t seed) {
    SimRandom random = RandomFor(seed, RandomStream::kNgRing);
    m_slotPointer = random.between(0, kNgSlotCount - 1);
    const int occupied = random.between(kMinOccupied, kNgSlotCount);
    const int newestDay = random.between(kNewestDayLow, kNewestDayHigh);
    m_slots.resize(kNgSlotCount);
    for (int age = 0; age < kNgSlotCount; ++age) {
        // The newest NG lies just before the slot pointer, older ones further back around the ring.
        const int slot = ((m_slotPointer - 1 - age) % kNgSlotCount + kNgSlotCount) % kNgSlotCount;
        m_slots[slot] = GenerateInspection(age, newestDay, random);
        if (age < occupied) {
            m_occupancy |= 1U << slot;
        }
    }
}

void NgRing::writeRingWords(WordMemory& words) const {
    words[kSlotPointerWord] = static_cast<std::uint16_t>(m_slotPointer);
    words[kOccupancyLowWord] = static_cast<std::uint16_t>(m_occupancy & 0xFFFF);
    words[kOccupancyHighWord] = static_cast<std::uint16_t>(m_occupancy >> 16);
}

SlotBlock NgRing::block(int slot, int block) const {
    if (slot < 0 || slot >= kNgSlotCount) {
        return SlotBlock{};
    }
    const NgInspection& inspection = m_slots[slot];
    if (block >= 0 && block < kImageBlockCount) {
        return imageBlock(inspection, block);
    }
    if (block >= kFirstPatternBlock && block < kFirstPatternBlock + kPatternBlockCount) {
        return patternBlock(inspection, block - kFirstPatternBlock);
    }
    if (block >= kFirstResultBlock && block < kFirstResultBlock + kResultBlockCount) {
        return resultBlock(inspection, block - kFirstResultBlock);
    }
    return SlotBlock{};
}

SlotBlock NgRing::imageBlock(const NgInspection& slot, int block) const {
    SlotBlock out{};
    const int line = block / 2;
    const int firstColumn = (block % 2) * kHalfLineColumns;
    for (int k = 0; k < kHalfLineColumns; ++k) {
        const int column = firstColumn + k;
        const bool ink = InkAt(slot, line, column);
        const int gray = ink ? kInkGray : kBackgroundGray + column / kGradientStep + line / kLinePitch;
        const int green = ink ? kFullComponent : 0;
        const int red = WindowEdgeAt(slot, line, column) ? kFullComponent : 0;
        PutWord(&out[2 * k], PixelWord(gray, 0, red, green));
    }
    static_assert(kImageColumns == 2 * kHalfLineColumns);
    return out;
}

SlotBlock NgRing::patternBlock(const NgInspection& slot, int index) const {
    SlotBlock out{};
    const int patternsPerBlock = kBlockSize / kPatternSize;
    for (int m = 0; m < patternsPerBlock; ++m) {
        const int j = index * patternsPerBlock + m;
        if (j < static_cast<int>(slot.characters.size())) {
            std::copy(slot.characters[j].pattern.begin(), slot.characters[j].pattern.end(),
                      out.begin() + m * kPatternSize);
        }
    }
    return out;
}

SlotBlock NgRing::resultBlock(const NgInspection& slot, int index) const {
    const auto record = BuildResultRecord(slot);
    SlotBlock out{};
    std::copy_n(record.begin() + index * kBlockSize, kBlockSize, out.begin());
    return out;
}

std::array<std::uint8_t, kResultRecordSize> BuildResultRecord(const NgInspection& slot) {
    std::array<std::uint8_t, kResultRecordSize> r{};
    const int n = std::min(static_cast<int>(slot.characters.size()), kMaxRecordChars);
    for (int i = 0; i < n; ++i) {
        const NgCharacter& c = slot.characters[i];
        r[kNumericalOffset + 2 * i] = c.numericalDifference;
        r[kNumericalOffset + 2 * i + 1] =
            static_cast<std::uint8_t>((c.numerical & kCharBits) | (c.startsLine ? kNewLineBit : 0));
        r[kAlphabeticOffset + 2 * i] = c.alphabeticDifference;
        r[kAlphabeticOffset + 2 * i + 1] = static_cast<std::uint8_t>(c.alphabetic & kCharBits);
        r[kDictionaryOffset + 2 * i] = c.numericalDictionary;
        r[kDictionaryOffset + 2 * i + 1] = c.alphabeticDictionary;
    }
    r[kResultCountOffset] = static_cast<std::uint8_t>(n);
    for (int k = 0; k < kFormatCount; ++k) {
        PutWord(&r[kFormatValueOffset + 2 * k], slot.formatValues[k]);
    }
    r[kFormatKindOffset] = slot.formatKinds;
    PutWord(&r[kSavedDayOffset], slot.savedDay);
    PutWord(&r[kSavedMinuteOffset], slot.savedMinute);
    r[kBankOffset] = slot.bank;
    for (int k = 0; k < kLimitCount; ++k) {
        PutWord(&r[kDateUpperOffset + 2 * k], slot.dateUpper[k]);
        PutWord(&r[kDateLowerOffset + 2 * k], slot.dateLower[k]);
        PutWord(&r[kTimeUpperOffset + 2 * k], slot.timeUpper[k]);
        PutWord(&r[kTimeLowerOffset + 2 * k], slot.timeLower[k]);
    }
    return r;
}

}  // namespace torv::sim
