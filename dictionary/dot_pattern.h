#pragma once
// The 7 x 7 dot grid and the two forms in which the sensor hands grids over: the 16-byte character
// pattern (a recognized character, or a character of a stored NG inspection) and the 8-byte
// dictionary record (one character of the expansion dictionary), and where the sensor keeps those
// records. Row 1 is the top row; in a row value, column c is bit 0x40 >> (c - 1).

#include <array>
#include <cstdint>

namespace torv {

inline constexpr int kGridSize = 7;
inline constexpr int kPatternSize = 16;
inline constexpr int kDictionaryRecordSize = 8;
inline constexpr std::uint8_t kRowBits = 0x7F;

// The sensor's expansion dictionary: word 12 holds its length in bytes, the records start at word
// 672 (four words each, the lower-numbered byte in a word's low byte), and it holds 56 at most.
inline constexpr int kDictionaryMaxChars = 56;
inline constexpr int kDictionaryLengthWord = 12;
inline constexpr int kDictionaryFirstWord = 672;
inline constexpr int kWordsPerRecord = kDictionaryRecordSize / 2;

// Rows 1..7 (index 0..6), top row first.
using DotRows = std::array<std::uint8_t, kGridSize>;
// Plane A (the dots) in bytes 0..6 and plane B (a second mark) in bytes 8..14, each bottom row first.
using CharacterPattern = std::array<std::uint8_t, kPatternSize>;
// The code byte, then rows 1..7 with bit 7 set.
using DictionaryRecord = std::array<std::uint8_t, kDictionaryRecordSize>;

// One character of a dictionary: its code (0 marks an empty editor slot) and its dots.
struct DictionaryCharacter {
    std::uint8_t code = 0;
    DotRows rows{};
    // The clear cells a file read from a character pattern marks "-" (plane B only: a dot the sensor
    // saw missing). The editor shows them; a dictionary has one plane, so they are never written.
    DotRows missing{};

    // The character as the sensor and the file keep it: code and dots.
    bool operator==(const DictionaryCharacter& other) const {
        return code == other.code && rows == other.rows;
    }
};

// The bit of column 1..7 in a row value.
constexpr std::uint8_t ColumnBit(int column) {
    return static_cast<std::uint8_t>(0x40 >> (column - 1));
}

// Row 1..7 of a pattern's planes.
std::uint8_t PlaneARow(const CharacterPattern& pattern, int row);
std::uint8_t PlaneBRow(const CharacterPattern& pattern, int row);

// Byte 0 the code, byte r = 0x80 + row r.
DictionaryRecord RecordOf(const DictionaryCharacter& character);
// The record's code and rows; bit 7 of the row bytes is ignored.
DictionaryCharacter CharacterOfRecord(const DictionaryRecord& record);

// Word k (0..3) of a record as the sensor holds it: bytes 2k (low) and 2k + 1 (high).
std::uint16_t RecordWord(const DictionaryRecord& record, int k);
// The address of word k of character i's record.
constexpr int DictionaryRecordWordAddress(int character, int k) {
    return kDictionaryFirstWord + kWordsPerRecord * character + k;
}

}  // namespace torv
