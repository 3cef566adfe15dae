#pragma once
// The serial port driver: ports are named by number (1..256) and the driver owns their handles.
// Every call reports a small result code and never shows anything; callers choose the words.

#include <cstdint>
#include <functional>
#include <span>

namespace torv {

inline constexpr int kComPortCount = 256;
inline constexpr int kComDefaultTimeoutMs = 1000;

enum OpenComPortResult : int {
    kComOpened = 0,
    kComBadPortNumber = 1,
    kComAlreadyOpen = 2,
    kComCreateFailed = 3
};
// Shared by SetComConfig, SetComReadTimeout, SetComWriteTimeout, PurgeComInput and CloseComPort.
enum ComResult : int { kComOk = 0, kComNotUsable = 1, kComDeviceRefused = 2 };

int OpenComPort(int port, int inputQueueSize, int outputQueueSize);
int SetComConfig(int port, std::uint32_t configWord);
// A read ends when all its bytes have come or `milliseconds` after it began (0: it waits for them
// all); a write likewise. The driver keeps them per port and runs the wait itself.
int SetComReadTimeout(int port, int milliseconds);
int SetComWriteTimeout(int port, int milliseconds);
// The number of bytes actually transferred; 0 when the port is not usable. A read that times out
// simply returns fewer bytes than asked.
int ReadComPort(int port, std::uint8_t* buffer, int count);
int WriteComPort(int port, const std::uint8_t* buffer, int count);
// What arrives within `milliseconds` (0: what has already arrived, without waiting), up to `count`
// bytes. Unlike ReadComPort it traces only bytes: here nothing arriving is what the caller hopes
// for, not a failure.
int ReadComPortIfAny(int port, std::uint8_t* buffer, int count, int milliseconds);
int PurgeComInput(int port);
int CloseComPort(int port);

// The byte trace: every transfer, in both directions, goes to the sink when one is set. A read that
// brought nothing is reported with an empty span. The sink is called on the thread that made the
// transfer, one call at a time even when several ports run at once.
enum class TraceDirection { kSent, kReceived };
using ComTraceSink =
    std::function<void(int port, TraceDirection direction, std::span<const std::uint8_t> bytes)>;
void SetComTrace(ComTraceSink sink);

}  // namespace torv
