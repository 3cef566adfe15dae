#include "remote/remote_keys.h"

#include <array>

#include "link/failure_details.h"
#include "link/frames.h"

namespace torv {
namespace {

constexpr int kKeyReplySize = 2;

constexpr std::array kKeyNames{
    KeyName{"UP", kKeyUp},
    KeyName{"DOWN", kKeyDown},
    KeyName{"SET", kKeySet},
    KeyName{"EXIT", kKeyExit},
    KeyName{"VIEW", kKeyView},
    KeyName{"VIEW+UP", kKeyViewUp},
    KeyName{"VIEW+DOWN", kKeyViewDown},
};

}  // namespace

std::span<const KeyName> KeyNames() {
    return kKeyNames;
}

std::optional<KeyCode> KeyCodeOfName(std::string_view name) {
    for (const KeyName& key : kKeyNames) {
        if (key.name == name) {
            return key.code;
        }
    }
    return std::nullopt;
}

bool SendKey(OperationState& state, int port, KeyCode code) {
    // The remote controller stays open after a key that failed: a reply that came too late for that
    // key, or the rest of a garbled one, must not pass for this key's acknowledgement. This key then
    // fails unsent; the bytes are read, so the next press finds the line clean.
    if (const int stray = ExpectNothingWaiting(port, state.LastErrorText); stray > 0) {
        state.LastErrorDetail = LateReplyDetail(port, state.BaudIndex, stray);
        return false;
    }
    state.CommandBuffer = {code, 0};
    SendCommand(port, kKeyPressCommand, state.CommandBuffer.data(), kKeyReplySize);
    if (ReceiveReply(port, state.CommandBuffer.data(), kKeyReplySize, kReplyTimeoutMs, state.LastErrorText) ==
        0) {
        state.LastErrorDetail = ReplyFailureDetail(port, state.BaudIndex, state.LastErrorText);
        return false;
    }
    return true;
}

}  // namespace torv
