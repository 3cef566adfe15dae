#pragma once
// The facts that follow a failure's message: which port and device, at which rate, and what to check.
// The message itself stays the tool's fixed text; these are the second part of the box or the further
// lines on stderr.

#include <string>

namespace torv {

// After OpenLink failed with `result` (kLinkOpenFailed or kLinkBadBaudIndex).
std::string OpenFailureDetail(int port, int baudIndex, int result);

// After a reply failed with the text `message` (132, 133 or 134).
std::string ReplyFailureDetail(int port, int baudIndex, const std::string& message);

}  // namespace torv
