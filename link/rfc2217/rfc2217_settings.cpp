#include "link/rfc2217/rfc2217_settings.h"

namespace torv {
namespace {

constexpr std::uint8_t kFewestDataBits = 5;
constexpr std::uint8_t kMostDataBits = 8;

Rfc2217Parity ParityCode(Parity parity) {
    switch (parity) {
        case Parity::kOdd:
            return Rfc2217Parity::kOdd;
        case Parity::kEven:
            return Rfc2217Parity::kEven;
        case Parity::kMark:
            return Rfc2217Parity::kMark;
        case Parity::kSpace:
            return Rfc2217Parity::kSpace;
        case Parity::kNone:
            break;
    }
    return Rfc2217Parity::kNone;
}

Rfc2217StopBits StopBitsCode(StopBits stopBits) {
    switch (stopBits) {
        case StopBits::kTwo:
            return Rfc2217StopBits::kTwo;
        case StopBits::kOneAndHalf:
            return Rfc2217StopBits::kOneAndHalf;
        case StopBits::kOne:
            break;
    }
    return Rfc2217StopBits::kOne;
}

// Hardware handshake wins over XON/XOFF: RFC 2217 sets one outbound flow control at a time.
Rfc2217FlowControl FlowControlCode(const DeviceControl& control) {
    if (control.ctsFlow || control.rtsControl == RtsControl::kHandshake) {
        return Rfc2217FlowControl::kHardware;
    }
    if (control.xonXoffOut || control.xonXoffIn) {
        return Rfc2217FlowControl::kXonXoff;
    }
    return Rfc2217FlowControl::kNone;
}

bool Rfc2217CanCarry(const DeviceControl& control) {
    return control.byteSize >= kFewestDataBits && control.byteSize <= kMostDataBits && control.baudRate > 0 &&
           control.dtrControl != DtrControl::kHandshake && control.rtsControl != RtsControl::kToggle &&
           !control.dsrFlow;
}

}  // namespace

std::optional<Rfc2217Settings> Rfc2217SettingsFor(const DeviceControl& control) {
    if (!Rfc2217CanCarry(control)) {
        return std::nullopt;
    }
    Rfc2217Settings settings;
    settings.line = {control.baudRate, control.byteSize, ParityCode(control.parity),
                     StopBitsCode(control.stopBits)};
    settings.control.flowControl = FlowControlCode(control);
    settings.control.dtrOn = control.dtrControl == DtrControl::kEnable;
    // Under hardware handshake the server drives RTS itself; asking for it on would only be noise.
    settings.control.rtsOn = control.rtsControl != RtsControl::kDisable;
    return settings;
}

int BitsPerCharacter(const DeviceControl& control) {
    const int parityBits = control.parity == Parity::kNone ? 0 : 1;
    const int stopBits = control.stopBits == StopBits::kOne ? 1 : 2;
    return 1 + control.byteSize + parityBits + stopBits;
}

}  // namespace torv
