#pragma once
// The sensor's checksum, used by command frames, reply frames and the judgement trailer alike.

#include <cstdint>
#include <span>

namespace torv::sim {

// 0xFF minus the 8-bit sum of the bytes.
inline std::uint8_t Checksum(std::span<const std::uint8_t> bytes) {
    std::uint8_t sum = 0;
    for (std::uint8_t b : bytes) {
        sum = static_cast<std::uint8_t>(sum + b);
    }
    return static_cast<std::uint8_t>(0xFF - sum);
}

}  // namespace torv::sim
