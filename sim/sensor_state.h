#pragma once
// What the sensor keeps across a restart: its line rate, software version, the whole word memory, the
// calendar registers and the log of remote key presses. The state file saves exactly this.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/line_rates.h"

namespace torv::sim {

inline constexpr int kWordCount = 65536;  // the whole 16-bit address space
inline constexpr int kCalendarRegisterCount = 16;
inline constexpr int kVersionLength = 4;

// Word areas the simulator fills or reads.
inline constexpr int kCommonWordCount = 12;
inline constexpr int kBankCount = 16;
inline constexpr int kBankWordCount = 36;
inline constexpr int kFirstBankWord = 16;
inline constexpr int kSlotPointerWord = 9;
inline constexpr int kOccupancyLowWord = 10;
inline constexpr int kOccupancyHighWord = 11;
inline constexpr int kDictionaryLengthWord = 12;
inline constexpr int kDictionaryFirstWord = 672;
inline constexpr int kDictionaryMaxChars = 56;
inline constexpr int kWordsPerRecord = 4;

inline constexpr char kDefaultVersion[] = "0105";

using WordMemory = std::vector<std::uint16_t>;

struct SensorState {
    int rate = kDefaultRate;
    std::string version = kDefaultVersion;
    WordMemory words = WordMemory(kWordCount, 0);
    std::array<std::uint8_t, kCalendarRegisterCount> calendar{};
    std::vector<std::uint8_t> keyLog;

    bool operator==(const SensorState&) const = default;
};

// Four printable characters without blanks, so the state file can hold them on one line.
inline bool IsValidVersion(const std::string& version) {
    if (version.size() != kVersionLength) {
        return false;
    }
    for (char c : version) {
        if (c <= ' ' || c > '~') {
            return false;
        }
    }
    return true;
}

}  // namespace torv::sim
