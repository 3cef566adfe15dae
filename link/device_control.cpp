#include "link/device_control.h"

#include <array>

namespace torv {
namespace {

constexpr char kParityErrorChar = 0x20;  // a blank stands in for a byte received with bad parity

// Configuration word fields: (shift, mask).
struct Field {
    int shift;
    std::uint32_t mask;
    std::uint32_t of(std::uint32_t word) const { return (word >> shift) & mask; }
};
constexpr Field kBaudField{0, 0xF};
constexpr Field kStopBitsField{4, 0x3};
constexpr Field kParityField{8, 0x7};
constexpr Field kDataBitsField{12, 0x7};
constexpr Field kDtrField{16, 0x3};
constexpr Field kRtsField{20, 0x7};
constexpr Field kCtsOnBit{24, 0x1};
constexpr Field kCtsOffBit{25, 0x1};
constexpr Field kDsrOnBit{26, 0x1};
constexpr Field kDsrOffBit{27, 0x1};
constexpr Field kXonXoffField{28, 0x3};

// Index = baud rate code; code 0 keeps the rate.
constexpr std::array<std::uint32_t, 16> kRateOfCode{
    0, 110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200, 128000, 256000};

void ApplyParity(DeviceControl& control, std::uint32_t code) {
    if (code == 1) {
        control.parity = Parity::kNone;
        control.parityCheck = false;
        control.errorCharEnabled = false;
        return;
    }
    if (code < 2 || code > 5) {
        return;  // 0 keeps, 6 and 7 are undefined
    }
    constexpr std::array kParityOfCode{Parity::kOdd, Parity::kEven, Parity::kMark, Parity::kSpace};
    control.parity = kParityOfCode[code - 2];
    control.parityCheck = true;
    control.errorCharEnabled = true;
    control.errorChar = kParityErrorChar;
}

void ApplyXonXoff(DeviceControl& control, std::uint32_t code) {
    if (code == 1) {
        control.xonXoffOut = true;
        control.xonXoffIn = true;
        control.txContinueOnXoff = false;
    } else if (code == 2) {
        control.xonXoffOut = false;
        control.xonXoffIn = false;
        control.txContinueOnXoff = false;
    }
}

}  // namespace

DeviceControl ApplyConfigWord(DeviceControl control, std::uint32_t word) {
    if (const auto code = kBaudField.of(word); code != 0) {
        control.baudRate = kRateOfCode[code];
    }
    if (const auto code = kStopBitsField.of(word); code != 0) {
        constexpr std::array kStopBitsOfCode{StopBits::kOne, StopBits::kOneAndHalf, StopBits::kTwo};
        control.stopBits = kStopBitsOfCode[code - 1];
    }
    ApplyParity(control, kParityField.of(word));
    if (const auto code = kDataBitsField.of(word); code >= 1 && code <= 5) {
        control.byteSize = static_cast<std::uint8_t>(code + 3);  // code 1 is 4 bits ... code 5 is 8 bits
    }
    if (const auto code = kDtrField.of(word); code != 0) {
        control.dtrControl = static_cast<DtrControl>(code - 1);
    }
    if (const auto code = kRtsField.of(word); code >= 1 && code <= 4) {
        control.rtsControl = static_cast<RtsControl>(code - 1);
    }
    // "On" first, then "off": both bits set leaves the flow control off.
    if (kCtsOnBit.of(word) != 0) {
        control.ctsFlow = true;
    }
    if (kCtsOffBit.of(word) != 0) {
        control.ctsFlow = false;
    }
    if (kDsrOnBit.of(word) != 0) {
        control.dsrFlow = true;
    }
    if (kDsrOffBit.of(word) != 0) {
        control.dsrFlow = false;
    }
    ApplyXonXoff(control, kXonXoffField.of(word));
    return control;
}

}  // namespace torv
