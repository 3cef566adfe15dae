#pragma once
// The sensor's front panel as the remote keys move it, so that a key pressed from the PC visibly does
// something: UP and DOWN step the current bank (the BANK setting, common word 0 bits 0..4), SET and
// EXIT enter and leave the setting mode, VIEW steps through the view pages, VIEW+UP and VIEW+DOWN step
// the NG slot that the NG history page shows.

#include <cstdint>
#include <string>

#include "sim/sensor_state.h"

namespace torv::sim {

enum class PanelMode { kRun, kSetting };

inline constexpr int kViewPageCount = 4;  // live image, result, characters, NG history
inline constexpr int kPanelNgSlots = 30;

struct FrontPanel {
    PanelMode mode = PanelMode::kRun;
    int viewPage = 0;  // 0..kViewPageCount - 1
    int ngSlot = 1;    // 1..30

    bool operator==(const FrontPanel&) const = default;
};

// Applies one key code; the bank lives in `words`. False for a code that is no key (nothing changes).
bool PressPanelKey(FrontPanel& panel, WordMemory& words, std::uint8_t code);

// What the panel shows after a key, for the simulator's console:
// "key VIEW+UP: run mode, bank 3, view page 2 (characters), NG slot 4".
std::string DescribePanel(const FrontPanel& panel, const WordMemory& words, std::uint8_t code);

}  // namespace torv::sim
