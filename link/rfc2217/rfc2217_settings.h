#pragma once
// The line settings a device server applies for us, as RFC 2217 codes them: what a configuration word
// becomes on a network port. The server drives the UART; the tool only asks.

#include <cstdint>
#include <optional>

#include "link/device_control.h"

namespace torv {

// RFC 2217 values of the SET-PARITY, SET-STOPSIZE and SET-CONTROL commands.
enum class Rfc2217Parity : std::uint8_t { kNone = 1, kOdd = 2, kEven = 3, kMark = 4, kSpace = 5 };
enum class Rfc2217StopBits : std::uint8_t { kOne = 1, kTwo = 2, kOneAndHalf = 3 };
enum class Rfc2217FlowControl : std::uint8_t { kNone = 1, kXonXoff = 2, kHardware = 3 };

// The four settings every change sends and the server must acknowledge.
struct Rfc2217LineSettings {
    std::uint32_t baudRate = 9600;
    std::uint8_t dataBits = 8;
    Rfc2217Parity parity = Rfc2217Parity::kNone;
    Rfc2217StopBits stopBits = Rfc2217StopBits::kOne;

    bool operator==(const Rfc2217LineSettings&) const = default;
};

// Handshake and modem lines: a server whose port has no modem lines may never answer these, so they
// are asked for only when they differ from what the server holds, and never waited for.
struct Rfc2217ControlSettings {
    Rfc2217FlowControl flowControl = Rfc2217FlowControl::kNone;
    bool dtrOn = true;
    bool rtsOn = true;

    bool operator==(const Rfc2217ControlSettings&) const = default;
};

struct Rfc2217Settings {
    Rfc2217LineSettings line;
    Rfc2217ControlSettings control;

    bool operator==(const Rfc2217Settings&) const = default;
};

// What a server holds for a client that has just connected: the tty layer raises DTR and RTS when the
// server opens the port, with no handshake.
inline constexpr Rfc2217ControlSettings kServerControlAtOpen{};

// The settings for a device control block; nullopt for what RFC 2217 cannot carry (fewer than 5 or
// more than 8 data bits, DTR handshake, RTS toggle, DSR flow), as a refused device state.
std::optional<Rfc2217Settings> Rfc2217SettingsFor(const DeviceControl& control);

// Bits one character takes on the line: start bit, data bits, parity bit, stop bits (1.5 counts 2).
int BitsPerCharacter(const DeviceControl& control);

}  // namespace torv
