#pragma once
// One judgement as the sensor reports it to the `Y` poll: the reply (n characters read, the judgement
// in bits 0..1) and, for a new judgement with characters, the trailer that follows the reply frame
// without an ACK: four bytes per character and a checksum.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace torv {

inline constexpr int kJudgementReplySize = 2;  // n, status
inline constexpr int kTrailerBytesPerCharacter = 4;
inline constexpr int kMaxJudgedCharacters = 255;  // n is one byte
// The largest trailer a sensor can announce; the reading buffer is this size, so no n overruns it.
inline constexpr int kMaxTrailerSize = kTrailerBytesPerCharacter * kMaxJudgedCharacters + 1;
inline constexpr std::uint8_t kJudgementBits = 0x03;
inline constexpr std::uint8_t kJudgedCharacterBits = 0x7F;

enum JudgementCode : int {
    kNoNewJudgement = 0,
    kJudgedOk = 1,
    kJudgedNg = 2,
    kJudgedOther = 3,  // shown as "--"
};

struct JudgedCharacter {
    char numerical = ' ';
    char alphabetic = ' ';
    int numericalDifference = 0;  // signed: 0x80..0xFF are negative
    int alphabeticDifference = 0;

    // The numerical character only when its difference is smaller; a tie goes to the alphabetic one.
    bool numericalIsBest() const { return numericalDifference < alphabeticDifference; }
    char best() const { return numericalIsBest() ? numerical : alphabetic; }
    int bestDifference() const { return numericalIsBest() ? numericalDifference : alphabeticDifference; }
};

struct Judgement {
    int code = kNoNewJudgement;
    std::vector<JudgedCharacter> characters;

    // "OK", "NG" or "--".
    std::string_view text() const;
    std::string bestCharacters() const;
    std::string numericalCharacters() const;
    std::string alphabeticCharacters() const;
};

// The judgement in the reply's status byte.
inline int JudgementOf(std::uint8_t status) {
    return status & kJudgementBits;
}

// A trailer follows only a new judgement with characters: j = 0 never has one, whatever n says.
inline bool HasTrailer(int count, int code) {
    return count > 0 && code != kNoNewJudgement;
}

inline std::size_t TrailerSize(int count) {
    return static_cast<std::size_t>(kTrailerBytesPerCharacter * count + 1);
}

// The characters of a complete trailer of `count` characters (4 * count + 1 bytes); false when its
// last byte is not 0xFF minus the 8-bit sum of the others.
bool DecodeTrailer(std::span<const std::uint8_t> trailer, int count,
                   std::vector<JudgedCharacter>& characters);

}  // namespace torv
