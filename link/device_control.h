#pragma once
// The serial line settings of one port (the fields of a device-control block) and the packed 32-bit
// configuration word that changes them. Decoding the word is a pure function; the backend applies
// the result to the real device.

#include <cstdint>

namespace torv {

enum class StopBits : std::uint8_t { kOne, kOneAndHalf, kTwo };
enum class Parity : std::uint8_t { kNone, kOdd, kEven, kMark, kSpace };
enum class DtrControl : std::uint8_t { kDisable, kEnable, kHandshake };
enum class RtsControl : std::uint8_t { kDisable, kEnable, kHandshake, kToggle };

struct DeviceControl {
    std::uint32_t baudRate = 9600;
    std::uint8_t byteSize = 8;
    Parity parity = Parity::kNone;
    StopBits stopBits = StopBits::kOne;
    bool parityCheck = false;       // fParity
    bool errorCharEnabled = false;  // fErrorChar
    char errorChar = 0;
    DtrControl dtrControl = DtrControl::kEnable;
    RtsControl rtsControl = RtsControl::kEnable;
    bool ctsFlow = false;  // fOutxCtsFlow
    bool dsrFlow = false;  // fOutxDsrFlow
    bool xonXoffOut = false;
    bool xonXoffIn = false;
    bool txContinueOnXoff = false;

    bool operator==(const DeviceControl&) const = default;
};

// Every open applies this: 9600 baud, 8 data bits, no parity, one stop bit, DTR and RTS on, no flow
// control.
inline constexpr std::uint32_t kDefaultConfigWord = 0x2A225117;

// Applies the fields of a configuration word, in their fixed order, to the settings read from the
// port. A field value of 0 (and the undefined codes) leaves its setting as it was.
DeviceControl ApplyConfigWord(DeviceControl control, std::uint32_t word);

}  // namespace torv
