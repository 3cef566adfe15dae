#include "sim/parameter_seed.h"

#include <string_view>

#include "sim/glyphs.h"
#include "sim/sim_random.h"

namespace torv::sim {
namespace {

// One field of a parameter word and the plausible values the seed draws from (always inside the
// catalogue's range for that field).
struct SeedField {
    int word;
    int firstBit;
    int low;
    int high;
};

constexpr SeedField kCommonFields[] = {
    {0, 0, 0, 15},   // BANK: a real bank, not TCH or BKIN
    {0, 8, 0, 3},    // WIDE
    {0, 10, 0, 5},   // RE-SLANT
    {2, 0, 0, 800},  // OFFDELAY
    {2, 15, 0, 1},   // ONESHOT
    {3, 0, 0, 500},  // ON DELAY
    {4, 0, 0, 1},    // Save NG status
    {4, 1, 0, 2},    // DATEFRMT
    {4, 3, 0, 4},    // SYNCHRO
    {4, 6, 0, 1},    // LCD VIEW
    {4, 13, 0, 1},   // STRING+
    {5, 0, 14, 26},  // TRAPEZID, around "0"
    {6, 8, 0, 15},   // OUTSYNDL
    {6, 13, 0, 4},   // SYNCPULS
};

constexpr SeedField kBankFields[] = {
    {0, 0, 20, 90},      // THRESHLD
    {0, 8, 0, 1},        // SURFACE
    {1, 0, 30, 120},     // SHUTTER
    {1, 8, 8, 15},       // EXTLGTPW
    {1, 13, 0, 4},       // SHADING
    {2, 0, 0, 1},        // LIGHT
    {2, 1, 10, 60},      // CHARMRGN
    {2, 9, 0, 1},        // LIGHTPWR
    {2, 10, 2, 9},       // CHRSPACE
    {2, 15, 0, 1},       // DOTCHECK
    {3, 0, 5, 40},       // LUSTER
    {4, 0, 0, 6},        // ROTATE
    {4, 8, 0, 60},       // MSK LEFT
    {5, 0, 0, 6},        // SLANT
    {5, 8, 190, 255},    // MSKRIGHT
    {6, 0, 20, 80},      // CHARWDTH
    {6, 8, 0, 50},       // MSK UP
    {7, 0, 30, 90},      // CHARHGHT
    {7, 8, 190, 243},    // MSK DOWN
    {8, 8, 60, 132},     // SHTRLIMT
    {9, 0, 0, 10},       // BOLD
    {10, 0, 0, 30},      // CHARNARW
    {11, 5, 0, 7},       // ZEROCHCK
    {11, 8, 10, 20},     // SLANTOFS, around "0"
    {11, 13, 0, 6},      // MONTHCHR
    {12, 0, 999, 1364},  // 1-DAYOFS, stored with its bias: 0..365 days
    {13, 0, 999, 1729},  // 2-DAYOFS
    {14, 0, 0, 60},      // 1-DAY±
    {15, 0, 0, 60},      // 2-DAY±
    {16, 0, 0, 1439},    // 1-TIMOFS
    {17, 0, 0, 1439},    // 2-TIMEOFS
    {18, 0, 10, 120},    // 1-TIME±
    {19, 0, 10, 120},    // 2-TIME±
    {35, 0, 0, 2000},    // SYNCDELY
    {35, 14, 0, 3},      // ORIENTTN
};

constexpr std::uint16_t kCommonFixedBits4 = 1U << 12;
constexpr std::uint16_t kCommonFixedBits6 = 1U << 1;
constexpr int kFixedCommonWord6 = 6;
constexpr std::uint16_t kBankFixedLowByte8 = 0x7E;
constexpr int kFixedBankWord = 8;

// FORMAT list positions the seed uses.
constexpr int kDateFormats[] = {1, 2, 3, 5, 9, 10, 11, 12};
constexpr int kTimeFormats[] = {4, 6};
constexpr int kNoFormat = 0;
constexpr int kStringFormat = 7;
constexpr int kFirstFormatWord = 20;
constexpr int kStringFirstWord = 24;
constexpr int kStringPercent = 35;
constexpr std::string_view kBankStrings[] = {"LOT", "TORV", "A1", "LINE 2", "EXP", "BEST BEFORE"};

void PutField(WordMemory& words, int address, const SeedField& field, int value) {
    words[address] = static_cast<std::uint16_t>(words[address] | (value << field.firstBit));
}

template <std::size_t N>
int Pick(SimRandom& random, const int (&choices)[N]) {
    return choices[random.between(0, static_cast<int>(N) - 1)];
}

void SeedStringAndFormats(WordMemory& words, int bankBase, SimRandom& random) {
    const bool hasString = random.chance(kStringPercent);
    words[bankBase + kFirstFormatWord] = static_cast<std::uint16_t>(Pick(random, kDateFormats));
    words[bankBase + kFirstFormatWord + 1] =
        static_cast<std::uint16_t>(random.chance(50) ? Pick(random, kTimeFormats) : kNoFormat);
    words[bankBase + kFirstFormatWord + 2] =
        static_cast<std::uint16_t>(hasString ? kStringFormat : kNoFormat);
    if (!hasString) {
        return;
    }
    const std::string_view text = kBankStrings[random.between(0, std::size(kBankStrings) - 1)];
    for (std::size_t i = 0; i < text.size(); ++i) {
        // Two characters a word, the lower-numbered one in the low byte.
        const int address = bankBase + kStringFirstWord + static_cast<int>(i / 2);
        const int shift = (i % 2) * 8;
        words[address] =
            static_cast<std::uint16_t>(words[address] | (static_cast<std::uint8_t>(text[i]) << shift));
    }
}

}  // namespace

void SeedParameterWords(WordMemory& words, std::uint64_t seed, int rate) {
    SimRandom random = RandomFor(seed, RandomStream::kParameters);
    for (int w = 0; w < kCommonWordCount; ++w) {
        if (w != kSlotPointerWord && w != kOccupancyLowWord && w != kOccupancyHighWord) {
            words[w] = 0;
        }
    }
    for (const SeedField& field : kCommonFields) {
        PutField(words, field.word, field, random.between(field.low, field.high));
    }
    words[kCommunicWord] = static_cast<std::uint16_t>(words[kCommunicWord] | kCommonFixedBits4 |
                                                      (CommunicForRate(rate) << kCommunicShift));
    words[kFixedCommonWord6] = static_cast<std::uint16_t>(words[kFixedCommonWord6] | kCommonFixedBits6);

    for (int bank = 0; bank < kBankCount; ++bank) {
        const int base = kFirstBankWord + bank * kBankWordCount;
        for (int w = 0; w < kBankWordCount; ++w) {
            words[base + w] = 0;
        }
        for (const SeedField& field : kBankFields) {
            PutField(words, base + field.word, field, random.between(field.low, field.high));
        }
        words[base + kFixedBankWord] =
            static_cast<std::uint16_t>(words[base + kFixedBankWord] | kBankFixedLowByte8);
        SeedStringAndFormats(words, base, random);
    }
}

void SeedDictionary(WordMemory& words, std::uint64_t seed) {
    constexpr std::string_view kUserChars = "KXTPHGDL";
    SimRandom random = RandomFor(seed, RandomStream::kDictionary);
    const int start = random.between(0, static_cast<int>(kUserChars.size()) - kSeededDictionaryChars);
    for (int i = 0; i < kSeededDictionaryChars; ++i) {
        const char code = kUserChars[start + i];
        const DictionaryRecord record = MakeRecord(code, Glyph(code));
        for (int k = 0; k < kWordsPerRecord; ++k) {
            words[kDictionaryFirstWord + kWordsPerRecord * i + k] =
                static_cast<std::uint16_t>(record[2 * k] | (record[2 * k + 1] << 8));
        }
    }
    words[kDictionaryLengthWord] = static_cast<std::uint16_t>(kDictionaryRecordSize * kSeededDictionaryChars);
}

}  // namespace torv::sim
