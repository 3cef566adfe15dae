#include "link/device_control.h"

#include <gtest/gtest.h>

#include <functional>

namespace torv {
namespace {

// Settings a port might report before the word is applied: every field unlike its default.
const DeviceControl kOddSettings{
    1200, 7,    Parity::kEven, StopBits::kTwo, true, true, 'x', DtrControl::kHandshake, RtsControl::kToggle,
    true, true, true,          true,           true};

// Each word is applied to the plain and to the odd settings: the settings it names change as given, every
// other setting stays as the port reported it.
TEST(ConfigWord, ChangesExactlyTheSettingsItsFieldsName) {
    using Change = std::function<void(DeviceControl&)>;
    const auto parity = [](Parity p) {
        return [p](DeviceControl& c) {
            c.parity = p;
            c.parityCheck = c.errorCharEnabled = true;
            c.errorChar = ' ';
        };
    };
    const auto keep = [](DeviceControl&) {};
    const struct {
        std::uint32_t word;
        Change change;
    } cases[] = {
        {kDefaultConfigWord,
         [](DeviceControl& c) { c = DeviceControl{.errorChar = c.errorChar}; }},  // the char is not named
        // 0, parity 6, data bits 7, RTS 5 and XON/XOFF 3 are undefined or "keep".
        {0, keep},
        {0x600, keep},
        {0x7000, keep},
        {0x500000, keep},
        {0x30000000, keep},
        {0xC0808840, keep},
        {0x106,
         [](DeviceControl& c) {
             c.baudRate = 4800;
             c.parity = Parity::kNone;
             c.parityCheck = c.errorCharEnabled = false;
         }},
        {0x200, parity(Parity::kOdd)},
        {0x300, parity(Parity::kEven)},
        {0x400, parity(Parity::kMark)},
        {0x500, parity(Parity::kSpace)},
        {0x1000, [](DeviceControl& c) { c.byteSize = 4; }},
        {0x4000, [](DeviceControl& c) { c.byteSize = 7; }},
        {0x20, [](DeviceControl& c) { c.stopBits = StopBits::kOneAndHalf; }},
        {0x30, [](DeviceControl& c) { c.stopBits = StopBits::kTwo; }},
        {0x10000, [](DeviceControl& c) { c.dtrControl = DtrControl::kDisable; }},
        {0x30000, [](DeviceControl& c) { c.dtrControl = DtrControl::kHandshake; }},
        {0x400000, [](DeviceControl& c) { c.rtsControl = RtsControl::kToggle; }},
        // Off bits win over on bits.
        {1u << 24, [](DeviceControl& c) { c.ctsFlow = true; }},
        {(1u << 24) | (1u << 25), [](DeviceControl& c) { c.ctsFlow = false; }},
        {1u << 26, [](DeviceControl& c) { c.dsrFlow = true; }},
        {(1u << 26) | (1u << 27), [](DeviceControl& c) { c.dsrFlow = false; }},
        {0x10000000,
         [](DeviceControl& c) {
             c.xonXoffOut = c.xonXoffIn = true;
             c.txContinueOnXoff = false;
         }},
    };
    for (const auto& c : cases) {
        for (const DeviceControl& start : {DeviceControl{}, kOddSettings}) {
            DeviceControl expected = start;
            c.change(expected);
            EXPECT_EQ(ApplyConfigWord(start, c.word), expected) << std::hex << c.word;
        }
    }
    const std::uint32_t rates[] = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                                   19200, 38400, 56000, 57600, 115200, 128000, 256000};
    for (std::uint32_t code = 1; code <= 15; ++code) {
        DeviceControl expected = kOddSettings;
        expected.baudRate = rates[code - 1];
        EXPECT_EQ(ApplyConfigWord(kOddSettings, code), expected) << code;
    }
}

}  // namespace
}  // namespace torv
