#pragma once
// The facts that follow a failure's message: which port and device, at which rate, and what to check.
// The message itself stays the tool's fixed text; these are the second part of the box or the further
// lines on stderr.

#include <string>
#include <string_view>

namespace torv {

// "/dev/ttyUSB0 at 57600 baud": the line a reply came on.
std::string LineText(int port, int baudIndex);
// "00 0A 30 31": bytes as the trace shows them.
std::string HexText(std::string_view bytes);

// After OpenLink failed with `result` (kLinkOpenFailed or kLinkBadBaudIndex).
std::string OpenFailureDetail(int port, int baudIndex, int result);

// After a reply failed with the text `message` (no response, an invalid response or a checksum
// error).
std::string ReplyFailureDetail(int port, int baudIndex, const std::string& message);

// After `strayBytes` bytes arrived that no frame had asked for (ExpectNothingWaiting, ExpectNothingMore).
std::string LateReplyDetail(int port, int baudIndex, int strayBytes);

}  // namespace torv
