#pragma once
// The sensor's front-panel keys as the PC presses them: one `P` frame with a key code, a bit mask of
// keys (combined keys are one code), answered by an acknowledged two-byte reply that carries nothing.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "engine/operation_state.h"

namespace torv {

enum KeyCode : std::uint8_t {
    kKeyUp = 1,
    kKeyDown = 2,
    kKeySet = 4,
    kKeyExit = 8,
    kKeyView = 16,
    kKeyViewUp = kKeyView | kKeyUp,      // 17
    kKeyViewDown = kKeyView | kKeyDown,  // 18
};

struct KeyName {
    std::string_view name;  // as torvctl takes it: "SET", "VIEW+UP", ...
    KeyCode code;
};

// Every key the remote controller sends, named.
std::span<const KeyName> KeyNames();
std::optional<KeyCode> KeyCodeOfName(std::string_view name);

// An up-down control proposes a change of position: zero or less is the upper arrow (the control's
// default range runs downwards), a positive change the lower one.
inline KeyCode UpDownKeyCode(int proposedChange) {
    return proposedChange <= 0 ? kKeyUp : kKeyDown;
}

// One key exchange on the open port; false with the no-response, invalid-response or checksum-error
// text (`kNoResponse`, `kInvalidResponse`, `kChecksumError`) in LastErrorText (and the facts in
// LastErrorDetail) when the sensor did not acknowledge it. Nothing is retried. Bytes still waiting from
// an earlier key fail the key with the invalid-response text before its frame goes out.
bool SendKey(OperationState& state, int port, KeyCode code);

}  // namespace torv
