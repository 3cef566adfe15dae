#pragma once
// USB serial adapters hold received bytes for up to their latency timer (16 ms unless lowered) before
// passing them on; with one exchange per word that makes a parameter read take ten times as long. On
// opening a port the POSIX backend asks the driver for low latency (ASYNC_LOW_LATENCY through
// TIOCSSERIAL). Drivers without the request, and pseudo-terminals, refuse it, which changes nothing.

namespace torv {

enum class LowLatency { kAlreadyOn, kTurnedOn, kRefused };

// Asks the driver of the open terminal `fd` for low latency, keeping its other serial flags.
LowLatency RequestLowLatency(int fd);

// The call the request goes through (::ioctl); tests install one that records or refuses. nullptr
// restores ::ioctl.
using SerialIoctl = int (*)(int fd, unsigned long request, void* argument);
void SetSerialIoctl(SerialIoctl serialIoctl);

}  // namespace torv
