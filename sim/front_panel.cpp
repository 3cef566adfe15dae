#include "sim/front_panel.h"

#include <array>
#include <string_view>

namespace torv::sim {
namespace {

constexpr int kBankWord = 0;
constexpr std::uint16_t kBankBits = 0x1F;
constexpr int kLastBank = 15;  // 16 and 17 are the TCH and BKIN modes

enum PanelKey : std::uint8_t {
    kUp = 1,
    kDown = 2,
    kSet = 4,
    kExit = 8,
    kView = 16,
    kViewUp = 17,
    kViewDown = 18,
};

constexpr std::array<std::string_view, kViewPageCount> kPageNames{"live image", "result", "characters",
                                                                  "NG history"};

int Bank(const WordMemory& words) {
    return words[kBankWord] & kBankBits;
}

// From TCH or BKIN, UP goes to bank 0 and DOWN to bank 15.
void StepBank(WordMemory& words, int step) {
    const int bank = Bank(words);
    int next =
        bank > kLastBank ? (step > 0 ? 0 : kLastBank) : (bank + step + kLastBank + 1) % (kLastBank + 1);
    words[kBankWord] = static_cast<std::uint16_t>((words[kBankWord] & ~kBankBits) | next);
}

int Wrapped(int value, int count) {
    return (value % count + count) % count;
}

std::string_view KeyName(std::uint8_t code) {
    switch (code) {
        case kUp:
            return "UP";
        case kDown:
            return "DOWN";
        case kSet:
            return "SET";
        case kExit:
            return "EXIT";
        case kView:
            return "VIEW";
        case kViewUp:
            return "VIEW+UP";
        case kViewDown:
            return "VIEW+DOWN";
        default:
            return {};
    }
}

}  // namespace

bool PressPanelKey(FrontPanel& panel, WordMemory& words, std::uint8_t code) {
    switch (code) {
        case kUp:
        case kDown:
            StepBank(words, code == kUp ? 1 : -1);
            return true;
        case kSet:
            panel.mode = PanelMode::kSetting;
            return true;
        case kExit:
            panel.mode = PanelMode::kRun;
            return true;
        case kView:
            panel.viewPage = Wrapped(panel.viewPage + 1, kViewPageCount);
            return true;
        case kViewUp:
        case kViewDown:
            panel.ngSlot = Wrapped(panel.ngSlot - 1 + (code == kViewUp ? -1 : 1), kPanelNgSlots) + 1;
            return true;
        default:
            return false;
    }
}

std::string DescribePanel(const FrontPanel& panel, const WordMemory& words, std::uint8_t code) {
    const std::string_view name = KeyName(code);
    std::string text = name.empty() ? "unknown key " + std::to_string(code) : "key " + std::string(name);
    text += panel.mode == PanelMode::kRun ? ": run mode" : ": setting mode";
    const int bank = Bank(words);
    text += ", bank " + (bank <= kLastBank ? std::to_string(bank) : bank == kLastBank + 1 ? "TCH" : "BKIN");
    text += ", view page " + std::to_string(panel.viewPage + 1) + " (" +
            std::string(kPageNames[static_cast<std::size_t>(panel.viewPage)]) + ")";
    text += ", NG slot " + std::to_string(panel.ngSlot);
    return text;
}

}  // namespace torv::sim
