#pragma once
// The sensor's parameter memory as the tool mirrors it: one common block shared by the whole sensor and
// sixteen banks, each a complete set of inspection settings. Every word is an unsigned 16-bit sensor
// value held in a signed 32-bit integer, exactly as read from the sensor or the parameter file; the
// catalogue's masks apply only when a value is shown.

#include <array>
#include <cstdint>

namespace torv {

inline constexpr int kCommonWordCount = 12;  // sensor words 0..11
inline constexpr int kBankCount = 16;
inline constexpr int kBankWordCount = 36;
inline constexpr int kFirstBankWord = 16;  // sensor word of bank 0, word 0; words 12..15 are not ours
// Common words 9..11 are the sensor's NG ring state: a write never sends them back.
inline constexpr int kWrittenCommonWords = 9;
inline constexpr int kCharsPerWord = 2;  // a STRING word holds two characters

// The version a set carries when its file has no version lines; the editor always saves it.
inline constexpr std::int32_t kDefaultParameterVersion = 100;

using CommonWords = std::array<std::int32_t, kCommonWordCount>;
using BankWords = std::array<std::int32_t, kBankWordCount>;

struct ParameterSet {
    std::int32_t version = kDefaultParameterVersion;
    CommonWords common{};
    std::array<BankWords, kBankCount> bank{};

    bool operator==(const ParameterSet&) const = default;
};

constexpr bool IsValidBank(int bank) {
    return bank >= 0 && bank < kBankCount;
}

// The sensor word address of word `index` of bank `bank` (bank 15 ends at word 591).
constexpr int BankWordAddress(int bank, int index) {
    return kFirstBankWord + kBankWordCount * bank + index;
}

// The set used when there is no usable parameter file.
ParameterSet InitialParameterSet();

}  // namespace torv
