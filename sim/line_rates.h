#pragma once
// The seven line rates the sensor knows, and the COMMUNIC value k (word 4, bits 8..10) that names one.

#include <array>
#include <cstdint>

namespace torv::sim {

inline constexpr std::array<int, 7> kSensorRates{4800, 9600, 19200, 38400, 57600, 115200, 256000};
inline constexpr int kDefaultRate = 57600;
inline constexpr int kBitsPerByte = 10;  // start bit, 8 data bits, stop bit

inline constexpr int kCommunicWord = 4;
inline constexpr int kCommunicShift = 8;
inline constexpr std::uint16_t kCommunicMask = 0x7;

inline constexpr bool IsSensorRate(int rate) {
    for (int r : kSensorRates) {
        if (r == rate) {
            return true;
        }
    }
    return false;
}

// k = 0 keeps the current rate; k = 1..7 is the rate with index k - 1.
inline constexpr int RateForCommunic(int k, int currentRate) {
    if (k <= 0 || k > static_cast<int>(kSensorRates.size())) {
        return currentRate;
    }
    return kSensorRates[k - 1];
}

// The k that names a rate, 0 for a rate outside the table.
inline constexpr int CommunicForRate(int rate) {
    for (int i = 0; i < static_cast<int>(kSensorRates.size()); ++i) {
        if (kSensorRates[i] == rate) {
            return i + 1;
        }
    }
    return 0;
}

}  // namespace torv::sim
