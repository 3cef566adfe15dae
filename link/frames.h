#pragma once
// Command frames and replies. The PC is always the master: it sends one command frame (command
// byte, data bytes, checksum) and the sensor answers with one acknowledged, checksummed reply.

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace torv {

inline constexpr int kReplyTimeoutMs = 1000;  // every exchange of the tool waits this long
inline constexpr int kLinkQueueSize = 512;
inline constexpr int kFrameBufferSize = 268;
inline constexpr int kMaxCommandData = kFrameBufferSize - 2;  // command byte and checksum
inline constexpr int kMaxReplyData = kFrameBufferSize - 1;    // checksum
inline constexpr std::uint8_t kAck = 0x06;
inline constexpr int kBlockReplySize = 256;  // the reply to `V`

// Every command byte the tool sends; all carry two data bytes.
enum CommandByte : std::uint8_t {
    kKeyPressCommand = 'P',
    kReadWordCommand = 'R',
    kSensorInfoCommand = 'S',
    kCalendarCommand = 'T',
    kStoreCommand = 'U',
    kReadBlockCommand = 'V',
    kWriteWordCommand = 'W',
    kJudgementCommand = 'Y',
};

enum OpenLinkResult : int { kLinkOpened = 0, kLinkOpenFailed = 1, kLinkBadBaudIndex = 2 };

// Baud index 0..6: 4800, 9600, 19200, 38400, 57600, 115200, 256000. The main window offers 0..5;
// 256000 is reached only when a parameter write moves the sensor there.
inline constexpr int kBaudIndexCount = 7;
inline constexpr std::array<int, kBaudIndexCount> kBaudRates{4800, 9600, 19200, 38400, 57600, 115200, 256000};
inline constexpr int kDefaultBaudIndex = 4;
// The baud index of a rate, or -1.
int BaudIndexOfRate(int rate);

// 0xFF minus the 8-bit sum of the first byte and the data bytes.
std::uint8_t FrameChecksum(std::uint8_t first, std::span<const std::uint8_t> data);

// Opens the port at the rate, drops what it holds and waits until the line has been quiet for the
// quiet time (a reply an earlier run gave up on may still be on its way), at most kReplyTimeoutMs.
int OpenLink(int port, int baudIndex);
int SetLinkBaud(int port, int baudIndex);
int CloseLink(int port);
// Builds the frame and writes it in one go; the number of bytes written.
int SendCommand(int port, std::uint8_t command, const std::uint8_t* data, int count);
// The line is in step while every byte that arrives is the reply to the frame just sent. A reply that
// comes late (the sensor was busy, or an earlier run gave up waiting for it) would otherwise be taken
// for the next frame's reply, and every reply after it for the one before.
//
// The line counts as quiet when nothing has arrived for this long: a whole exchange (frame and reply)
// at the rate, with room, and never less than kQuietMinimumMs for the sensor's turnaround.
inline constexpr int kQuietCharacters = 12;
inline constexpr int kQuietMinimumMs = 2;
int QuietTimeMs(int baudIndex);

// Before a command frame: 0 when no byte is waiting. Otherwise the number of bytes that were waiting,
// with the invalid-response text (`kInvalidResponse`) in `lastErrorText`; they have been read, so that
// a later try starts clean.
int ExpectNothingWaiting(int port, std::string& lastErrorText);
// After the last reply of a run (and before a file takes what the run read): as above, for bytes that
// arrive within the quiet time.
int ExpectNothingMore(int port, int baudIndex, std::string& lastErrorText);

// 1 for a valid reply (its `count` data bytes copied to `destination`), 0 for a failure with the
// no-response, invalid-response or checksum-error text (`kNoResponse`, `kInvalidResponse`,
// `kChecksumError`) in `lastErrorText`. After a checksum failure the destination holds
// the unverified bytes that arrived; after a non-ACK first byte the rest of the reply stays unread.
int ReceiveReply(int port, std::uint8_t* destination, int count, int timeoutMs, std::string& lastErrorText);

}  // namespace torv
