#include "link/frames.h"

#include <algorithm>
#include <chrono>

#include "link/com_port.h"
#include "resources/strings.h"

namespace torv {
namespace {

// Configuration word for a baud index: the rate code with "no parity".
constexpr std::array<std::uint32_t, kBaudIndexCount> kRateCodeOfIndex{6, 7, 9, 10, 12, 13, 15};
constexpr std::uint32_t kNoParityCode = 0x100;

constexpr int kBitsPerCharacter = 10;  // start bit, 8 data bits, stop bit
constexpr int kMillisecondsPerSecond = 1000;

int Fail(StringId message, std::string& lastErrorText) {
    lastErrorText = Text(message);
    return 0;
}

// Reads until nothing arrives for `quietMs`, for at most one reply time-out.
void AwaitQuietLine(int port, int quietMs) {
    std::array<std::uint8_t, kFrameBufferSize> dropped;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kReplyTimeoutMs);
    while (ReadComPortIfAny(port, dropped.data(), kFrameBufferSize, quietMs) > 0 &&
           std::chrono::steady_clock::now() < deadline) {
    }
}

// Bytes that arrive within `waitMs` (0: that are already waiting) are stray: counted and read, with
// every byte then waiting behind them.
int DropStrayBytes(int port, int waitMs, std::string& lastErrorText) {
    std::array<std::uint8_t, kFrameBufferSize> stray;
    int count = ReadComPortIfAny(port, stray.data(), kFrameBufferSize, waitMs);
    if (count == 0) {
        return 0;
    }
    for (int more = count; more > 0; count += more) {
        more = ReadComPortIfAny(port, stray.data(), kFrameBufferSize, 0);
    }
    lastErrorText = Text(StringId::kInvalidResponse);
    return count;
}

}  // namespace

int BaudIndexOfRate(int rate) {
    const auto* it = std::find(kBaudRates.begin(), kBaudRates.end(), rate);
    return it == kBaudRates.end() ? -1 : static_cast<int>(it - kBaudRates.begin());
}

std::uint8_t FrameChecksum(std::uint8_t first, std::span<const std::uint8_t> data) {
    std::uint8_t sum = first;
    for (std::uint8_t byte : data) {
        sum = static_cast<std::uint8_t>(sum + byte);
    }
    return static_cast<std::uint8_t>(0xFF - sum);
}

int QuietTimeMs(int baudIndex) {
    const int rate = kBaudRates[static_cast<std::size_t>(std::clamp(baudIndex, 0, kBaudIndexCount - 1))];
    const int lineMs = (kQuietCharacters * kBitsPerCharacter * kMillisecondsPerSecond + rate - 1) / rate;
    return std::max(lineMs, kQuietMinimumMs);
}

int OpenLink(int port, int baudIndex) {
    if (OpenComPort(port, kLinkQueueSize, kLinkQueueSize) != kComOpened) {
        return kLinkOpenFailed;
    }
    if (SetLinkBaud(port, baudIndex) != 0) {
        return kLinkBadBaudIndex;
    }
    PurgeComInput(port);
    AwaitQuietLine(port, QuietTimeMs(baudIndex));
    return kLinkOpened;
}

int ExpectNothingWaiting(int port, std::string& lastErrorText) {
    return DropStrayBytes(port, 0, lastErrorText);
}

int ExpectNothingMore(int port, int baudIndex, std::string& lastErrorText) {
    return DropStrayBytes(port, QuietTimeMs(baudIndex), lastErrorText);
}

int SetLinkBaud(int port, int baudIndex) {
    if (baudIndex < 0 || baudIndex >= kBaudIndexCount) {
        CloseComPort(port);
        return kLinkBadBaudIndex;
    }
    SetComConfig(port, kRateCodeOfIndex[static_cast<std::size_t>(baudIndex)] + kNoParityCode);
    return 0;
}

int CloseLink(int port) {
    return CloseComPort(port);
}

int SendCommand(int port, std::uint8_t command, const std::uint8_t* data, int count) {
    if (count < 0 || count > kMaxCommandData || (count > 0 && data == nullptr)) {
        return 0;
    }
    std::array<std::uint8_t, kFrameBufferSize> frame;
    frame[0] = command;
    std::copy_n(data, count, frame.begin() + 1);
    const auto payload = std::span<const std::uint8_t>(frame.data() + 1, static_cast<std::size_t>(count));
    frame[static_cast<std::size_t>(count) + 1] = FrameChecksum(command, payload);
    return WriteComPort(port, frame.data(), count + 2);
}

int ReceiveReply(int port, std::uint8_t* destination, int count, int timeoutMs, std::string& lastErrorText) {
    if (count < 0 || count > kMaxReplyData || (count > 0 && destination == nullptr)) {
        return Fail(StringId::kChecksumError, lastErrorText);  // a reply this tool never asks for
    }
    SetComReadTimeout(port, timeoutMs);
    std::uint8_t first = 0;
    if (ReadComPort(port, &first, 1) == 0) {
        return Fail(StringId::kNoResponse, lastErrorText);
    }
    if (first != kAck) {
        return Fail(StringId::kInvalidResponse, lastErrorText);
    }
    std::array<std::uint8_t, kFrameBufferSize> reply;  // only the bytes that arrived are looked at
    const int received = ReadComPort(port, reply.data(), count + 1);
    if (received == 0) {
        return Fail(StringId::kNoResponse, lastErrorText);
    }
    const int dataReceived = std::min(received, count);
    std::copy_n(reply.begin(), dataReceived, destination);
    const auto data = std::span<const std::uint8_t>(reply.data(), static_cast<std::size_t>(count));
    if (received < count + 1 || reply[static_cast<std::size_t>(count)] != FrameChecksum(kAck, data)) {
        return Fail(StringId::kChecksumError, lastErrorText);
    }
    return 1;
}

}  // namespace torv
