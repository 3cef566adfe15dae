#pragma once
// The dot shapes the simulated sensor "prints" and "recognizes": a small 7 x 7 font, and the two forms
// in which the sensor hands dot grids over (the 16-byte character pattern and the 8-byte dictionary
// record).

#include <array>
#include <cstdint>

namespace torv::sim {

inline constexpr int kGridSize = 7;
inline constexpr int kPatternSize = 16;
inline constexpr int kPairsPerPattern = kPatternSize / 2;  // a pattern read two bytes a reply
inline constexpr int kDictionaryRecordSize = 8;

// Rows top first; in a row, column 1 is bit 0x40 and column 7 is bit 0x01.
using GlyphRows = std::array<std::uint8_t, kGridSize>;
using CharacterPattern = std::array<std::uint8_t, kPatternSize>;
using DictionaryRecord = std::array<std::uint8_t, kDictionaryRecordSize>;

// The font's shape for a character; characters the font lacks get a hollow box.
GlyphRows Glyph(char code);

// Plane A holds the character's dots, plane B the second mark; both are stored bottom row first.
CharacterPattern MakePattern(const GlyphRows& planeA, const GlyphRows& planeB);

// Code byte, then rows 1..7 with bit 7 set, as the sensor keeps its expansion dictionary.
DictionaryRecord MakeRecord(char code, const GlyphRows& rows);

// What the sensor's other dictionary would make of a character: the letter a digit is taken for, and
// the digit a letter is taken for.
char LetterLookalike(char digit);
char DigitLookalike(char letter);

}  // namespace torv::sim
