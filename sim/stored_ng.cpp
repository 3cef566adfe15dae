#include "sim/stored_ng.h"

#include <algorithm>
#include <string_view>

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
constexpr int kFormat1Shift = 6;
constexpr int kFormat2Shift = 4;
constexpr int kFormat3Shift = 2;
constexpr std::uint16_t kFormatNotFound = 0xFFFF;
constexpr std::uint16_t kStringFound = 0;

// What the line prints: a best-before date, the production time and, on some products, a lot code.
constexpr int kShelfLifeDays = 180;
constexpr int kDateTolerance = 3;    // date check 1: the best-before date within a few days
constexpr int kWideDateBehind = 30;  // date check 2: a plausibility window
constexpr int kWideDateAhead = 365;
constexpr int kTimeTolerance = 5;  // time check 1: the printed time is the time of production
constexpr int kLotCodeChance = 60;
constexpr int kLotDigitsLow = 3;
constexpr int kLotDigitsHigh = 6;
constexpr int kNothingReadChance = 8;  // the print is missing altogether: nothing was read
constexpr int kNothingFound = -2;      // as a spoiled line: every format found nothing
constexpr int kWrongDateChance = 25;   // the printer was set to a wrong date: every character reads well
constexpr int kWrongDateLow = 10;
constexpr int kWrongDateHigh = 40;
constexpr int kSensorBanks = 16;

// Matches: a good one in the right dictionary, a poor one in the other; a print defect adds a penalty.
constexpr int kGoodHigh = 25;
constexpr int kPoorLow = kPoorMatchDifference + 10;
constexpr int kPoorHigh = 110;
constexpr int kDefectPenalty = 90;
constexpr int kMaxDifference = 255;
constexpr int kDictionaryHigh = 3;

constexpr std::string_view kDigits = "0123456789";
constexpr std::string_view kLetters = "ABCDEGHKLPSTXZ";

// Screen image: 122 lines of 256 pixels, characters drawn 4 pixels a dot.
constexpr int kHalfLineColumns = 128;
constexpr int kDotPixels = 4;
constexpr int kGlyphPixels = kGridSize * kDotPixels;
constexpr int kCharPitch = 32;
constexpr int kLinePitch = 38;
constexpr int kTextLeft = 12;
constexpr int kTextTop = 10;
constexpr int kWindowMargin = 4;
constexpr int kMaxCharsPerLine = 7;
constexpr int kMaxLines = 3;
constexpr int kBackgroundGray = 30;
constexpr int kGradientStep = 16;  // columns per gray level
constexpr int kInkGray = 6;
constexpr int kFullComponent = 7;
constexpr int kGrayShift = 1;
constexpr int kBlueShift = 7;
constexpr int kRedShift = 10;
constexpr int kGreenShift = 13;
constexpr int kFrameMargin = 2;

constexpr int kPatternsPerBlock = kBlockSize / kPatternSize;
constexpr int kDaysFrom1970To2000 = 10957;

void PutWord(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value & 0xFF);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

bool IsDigit(char c) {
    return kDigits.find(c) != std::string_view::npos;
}

char BestCharacter(const NgCharacter& c) {
    return c.numericalDifference <= c.alphabeticDifference ? c.numerical : c.alphabetic;
}

bool PoorMatch(const NgCharacter& c) {
    return std::min(c.numericalDifference, c.alphabeticDifference) > kPoorMatchDifference;
}

std::string TwoDigits(int value) {
    return {static_cast<char>('0' + value / 10 % 10), static_cast<char>('0' + value % 10)};
}

std::string PrintedTime(int minute) {
    return TwoDigits(minute / 60) + TwoDigits(minute % 60);
}

std::string LotCode(SimRandom& random) {
    std::string lot(1, kLetters[static_cast<std::size_t>(random.between(0, int(kLetters.size()) - 1))]);
    const int digits = random.between(kLotDigitsLow, kLotDigitsHigh);
    for (int i = 0; i < digits; ++i) {
        lot += kDigits[static_cast<std::size_t>(random.between(0, int(kDigits.size()) - 1))];
    }
    return lot;
}

NgCharacter ReadCharacter(char printed, bool startsLine, SimRandom& random) {
    NgCharacter c;
    c.printed = printed;
    c.startsLine = startsLine;
    const bool digit = IsDigit(printed);
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

// A print defect: one dot too many or missing, and a poor match in both dictionaries.
void SpoilCharacter(NgCharacter& c, GlyphRows& seen, SimRandom& random) {
    c.numericalDifference =
        static_cast<std::uint8_t>(std::min(kMaxDifference, c.numericalDifference + kDefectPenalty));
    c.alphabeticDifference =
        static_cast<std::uint8_t>(std::min(kMaxDifference, c.alphabeticDifference + kDefectPenalty));
    seen[static_cast<std::size_t>(random.between(0, kGridSize - 1))] ^=
        static_cast<std::uint8_t>(1U << random.between(0, kGridSize - 1));
}

void AddLines(NgInspection& inspection, const std::vector<std::string>& lines, SimRandom& random) {
    for (std::size_t line = 0; line < lines.size(); ++line) {
        inspection.lines.emplace_back();
        for (std::size_t i = 0; i < lines[line].size(); ++i) {
            inspection.lines.back().push_back(static_cast<int>(inspection.characters.size()));
            inspection.characters.push_back(ReadCharacter(lines[line][i], line > 0 && i == 0, random));
        }
    }
}

// Spoils one character (or none) and sets its dots: plane A what the camera saw, plane B the
// dictionary shape it was matched with. Returns the printed line of the spoiled character, or -1.
int DrawPatterns(NgInspection& inspection, bool withDefect, SimRandom& random) {
    const int count = static_cast<int>(inspection.characters.size());
    const int spoiled = withDefect ? random.between(0, count - 1) : -1;
    int spoiledLine = -1;
    for (std::size_t line = 0; line < inspection.lines.size(); ++line) {
        for (int index : inspection.lines[line]) {
            NgCharacter& c = inspection.characters[static_cast<std::size_t>(index)];
            GlyphRows seen = Glyph(c.printed);
            if (index == spoiled) {
                SpoilCharacter(c, seen, random);
                spoiledLine = static_cast<int>(line);
            }
            c.pattern = MakePattern(seen, Glyph(BestCharacter(c)));
        }
    }
    return spoiledLine;
}

void SetLimits(NgInspection& inspection) {
    const int bestBefore = inspection.savedDay + kShelfLifeDays;
    const int minute = inspection.savedMinute;
    inspection.dateUpper = {static_cast<std::uint16_t>(bestBefore + kDateTolerance),
                            static_cast<std::uint16_t>(inspection.savedDay + kWideDateAhead)};
    inspection.dateLower = {static_cast<std::uint16_t>(bestBefore - kDateTolerance),
                            static_cast<std::uint16_t>(inspection.savedDay - kWideDateBehind)};
    inspection.timeUpper = {static_cast<std::uint16_t>(std::min(kMinutesPerDay - 1, minute + kTimeTolerance)),
                            static_cast<std::uint16_t>(kMinutesPerDay - 1)};
    inspection.timeLower = {static_cast<std::uint16_t>(std::max(0, minute - kTimeTolerance)), 0};
}

// Whether the printed character under (line, column) has a dot there.
bool InkAt(const NgInspection& inspection, int line, int column) {
    const int textLine = (line - kTextTop) / kLinePitch;
    const int charIndex = (column - kTextLeft) / kCharPitch;
    if (line < kTextTop || column < kTextLeft || textLine >= static_cast<int>(inspection.lines.size()) ||
        charIndex >= static_cast<int>(inspection.lines[textLine].size())) {
        return false;
    }
    const int y = (line - kTextTop) % kLinePitch;
    const int x = (column - kTextLeft) % kCharPitch;
    if (y >= kGlyphPixels || x >= kGlyphPixels) {
        return false;
    }
    const auto index = static_cast<std::size_t>(inspection.lines[textLine][charIndex]);
    const CharacterPattern& pattern = inspection.characters[index].pattern;
    const std::uint8_t row = pattern[kGridSize - 1 - y / kDotPixels];  // plane A, bottom row first
    return (row & (0x40 >> (x / kDotPixels))) != 0;
}

bool OnRectangle(int line, int column, int top, int left, int bottom, int right) {
    const bool inRows = line >= top && line <= bottom;
    const bool inColumns = column >= left && column <= right;
    return (inRows && (column == left || column == right)) || (inColumns && (line == top || line == bottom));
}

// The red outline of the inspection window, where the text is looked for.
bool WindowEdgeAt(int line, int column) {
    const int bottom = kTextTop + (kMaxLines - 1) * kLinePitch + kGlyphPixels + kWindowMargin;
    return OnRectangle(line, column, kTextTop - kWindowMargin, kTextLeft - kWindowMargin, bottom,
                       kTextLeft + kMaxCharsPerLine * kCharPitch);
}

// The blue frame the sensor draws around a character that matched poorly.
bool DefectFrameAt(const NgInspection& inspection, int line, int column) {
    for (std::size_t textLine = 0; textLine < inspection.lines.size(); ++textLine) {
        const auto& indices = inspection.lines[textLine];
        for (std::size_t i = 0; i < indices.size(); ++i) {
            if (!PoorMatch(inspection.characters[static_cast<std::size_t>(indices[i])])) {
                continue;
            }
            const int top = kTextTop + static_cast<int>(textLine) * kLinePitch - kFrameMargin;
            const int left = kTextLeft + static_cast<int>(i) * kCharPitch - kFrameMargin;
            if (OnRectangle(line, column, top, left, top + kGlyphPixels + 2 * kFrameMargin - 1,
                            left + kGlyphPixels + 2 * kFrameMargin - 1)) {
                return true;
            }
        }
    }
    return false;
}

std::uint16_t PixelWord(int gray, int blue, int red, int green) {
    return static_cast<std::uint16_t>((gray << kGrayShift) | (blue << kBlueShift) | (red << kRedShift) |
                                      (green << kGreenShift));
}

}  // namespace

std::string PrintedDate(int day) {
    // Days since 1970 to a civil date (proleptic Gregorian), counted in 400-year eras from 1 March 0.
    const int z = day + kDaysFrom1970To2000 + 719468;
    const int era = z / 146097;
    const int dayOfEra = z - era * 146097;
    const int yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int monthIndex = (5 * dayOfYear + 2) / 153;
    const int dayOfMonth = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    const int month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    const int year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    return TwoDigits(year % 100) + TwoDigits(month) + TwoDigits(dayOfMonth);
}

NgInspection GenerateInspection(std::uint16_t savedDay, std::uint16_t savedMinute, SimRandom& random) {
    NgInspection inspection;
    inspection.bank = static_cast<std::uint8_t>(random.between(0, kSensorBanks - 1));
    inspection.savedDay = savedDay;
    inspection.savedMinute = savedMinute;
    const bool withLot = random.chance(kLotCodeChance);
    const bool nothingRead = random.chance(kNothingReadChance);
    const bool wrongDate = !nothingRead && random.chance(kWrongDateChance);
    const int printedDay =
        savedDay + kShelfLifeDays + (wrongDate ? random.between(kWrongDateLow, kWrongDateHigh) : 0);
    std::vector<std::string> lines{PrintedDate(printedDay), PrintedTime(savedMinute)};
    if (withLot) {
        lines.push_back(LotCode(random));
    }
    if (!nothingRead) {
        AddLines(inspection, lines, random);
    }
    // With nothing read, no format found anything: every line counts as the spoiled one.
    const int spoiledLine = nothingRead ? kNothingFound : DrawPatterns(inspection, !wrongDate, random);
    inspection.formatKinds =
        static_cast<std::uint8_t>((kKindDate << kFormat1Shift) | (kKindTime << kFormat2Shift) |
                                  (withLot ? kKindString << kFormat3Shift : 0));
    // A format whose line holds the defect was not found; the others read what was printed.
    const auto valueOf = [spoiledLine](int line, int found) {
        return static_cast<std::uint16_t>(
            line == spoiledLine || spoiledLine == kNothingFound ? kFormatNotFound : found);
    };
    inspection.formatValues = {valueOf(0, printedDay), valueOf(1, savedMinute),
                               withLot ? valueOf(2, kStringFound) : kFormatNotFound, kFormatNotFound};
    SetLimits(inspection);
    return inspection;
}

std::array<std::uint8_t, kResultRecordSize> BuildResultRecord(const NgInspection& inspection) {
    std::array<std::uint8_t, kResultRecordSize> r{};
    const int n = std::min(static_cast<int>(inspection.characters.size()), kMaxRecordChars);
    for (int i = 0; i < n; ++i) {
        const NgCharacter& c = inspection.characters[static_cast<std::size_t>(i)];
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
        PutWord(&r[kFormatValueOffset + 2 * k], inspection.formatValues[static_cast<std::size_t>(k)]);
    }
    r[kFormatKindOffset] = inspection.formatKinds;
    PutWord(&r[kSavedDayOffset], inspection.savedDay);
    PutWord(&r[kSavedMinuteOffset], inspection.savedMinute);
    r[kBankOffset] = inspection.bank;
    for (std::size_t k = 0; k < kLimitCount; ++k) {
        PutWord(&r[kDateUpperOffset + 2 * k], inspection.dateUpper[k]);
        PutWord(&r[kDateLowerOffset + 2 * k], inspection.dateLower[k]);
        PutWord(&r[kTimeUpperOffset + 2 * k], inspection.timeUpper[k]);
        PutWord(&r[kTimeLowerOffset + 2 * k], inspection.timeLower[k]);
    }
    return r;
}

SlotBlock ScreenImageBlock(const NgInspection& inspection, int block) {
    SlotBlock out{};
    const int line = block / 2;
    const int firstColumn = (block % 2) * kHalfLineColumns;
    for (int k = 0; k < kHalfLineColumns; ++k) {
        const int column = firstColumn + k;
        const bool ink = InkAt(inspection, line, column);
        const int gray = ink ? kInkGray : kBackgroundGray + column / kGradientStep + line / kLinePitch;
        const int green = ink ? kFullComponent : 0;
        const int red = WindowEdgeAt(line, column) ? kFullComponent : 0;
        const int blue = DefectFrameAt(inspection, line, column) ? kFullComponent : 0;
        PutWord(&out[static_cast<std::size_t>(2 * k)], PixelWord(gray, blue, red, green));
    }
    return out;
}

SlotBlock PatternBlock(const NgInspection& inspection, int index) {
    SlotBlock out{};
    for (int m = 0; m < kPatternsPerBlock; ++m) {
        const auto j = static_cast<std::size_t>(index * kPatternsPerBlock + m);
        if (j < inspection.characters.size()) {
            std::copy(inspection.characters[j].pattern.begin(), inspection.characters[j].pattern.end(),
                      out.begin() + m * kPatternSize);
        }
    }
    return out;
}

}  // namespace torv::sim
