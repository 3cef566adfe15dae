#include "link/device_control.h"

#include <gtest/gtest.h>

namespace torv {
namespace {

// Settings a port might report before the word is applied: deliberately unlike the defaults.
DeviceControl OddSettings() {
    DeviceControl control;
    control.baudRate = 1200;
    control.byteSize = 7;
    control.parity = Parity::kEven;
    control.stopBits = StopBits::kTwo;
    control.parityCheck = true;
    control.errorCharEnabled = true;
    control.errorChar = 'x';
    control.dtrControl = DtrControl::kHandshake;
    control.rtsControl = RtsControl::kToggle;
    control.ctsFlow = true;
    control.dsrFlow = true;
    control.xonXoffOut = true;
    control.xonXoffIn = true;
    control.txContinueOnXoff = true;
    return control;
}

TEST(ConfigWord, DefaultWordGivesPlain9600EightNoneOne) {
    const DeviceControl control = ApplyConfigWord(OddSettings(), kDefaultConfigWord);
    EXPECT_EQ(control.baudRate, 9600u);
    EXPECT_EQ(control.byteSize, 8);
    EXPECT_EQ(control.parity, Parity::kNone);
    EXPECT_EQ(control.stopBits, StopBits::kOne);
    EXPECT_FALSE(control.parityCheck);
    EXPECT_FALSE(control.errorCharEnabled);
    EXPECT_EQ(control.dtrControl, DtrControl::kEnable);
    EXPECT_EQ(control.rtsControl, RtsControl::kEnable);
    EXPECT_FALSE(control.ctsFlow);
    EXPECT_FALSE(control.dsrFlow);
    EXPECT_FALSE(control.xonXoffOut);
    EXPECT_FALSE(control.xonXoffIn);
    EXPECT_FALSE(control.txContinueOnXoff);
    EXPECT_EQ(control.errorChar, 'x');  // not named by the word
}

TEST(ConfigWord, ZeroAndUndefinedCodesChangeNothing) {
    // parity 6, data bits 7, RTS 5 and XON/XOFF 3 are undefined or "keep".
    for (std::uint32_t word : {0u, 0x600u, 0x7000u, 0x500000u, 0x30000000u, 0xC0808840u}) {
        EXPECT_EQ(ApplyConfigWord(OddSettings(), word), OddSettings()) << std::hex << word;
    }
}

TEST(ConfigWord, BaudAndParityFieldKeepTheRest) {
    DeviceControl expected = OddSettings();
    expected.baudRate = 4800;
    expected.parity = Parity::kNone;
    expected.parityCheck = false;
    expected.errorCharEnabled = false;
    EXPECT_EQ(ApplyConfigWord(OddSettings(), 0x106), expected);
}

TEST(ConfigWord, EveryBaudCodeNamesItsRate) {
    const std::uint32_t rates[] = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                                   19200, 38400, 56000, 57600, 115200, 128000, 256000};
    for (std::uint32_t code = 1; code <= 15; ++code) {
        EXPECT_EQ(ApplyConfigWord(OddSettings(), code).baudRate, rates[code - 1]) << code;
    }
}

TEST(ConfigWord, ParityCodesSetTheErrorCharacter) {
    const Parity parities[] = {Parity::kOdd, Parity::kEven, Parity::kMark, Parity::kSpace};
    for (std::uint32_t code = 2; code <= 5; ++code) {
        DeviceControl start;
        const DeviceControl control = ApplyConfigWord(start, code << 8);
        EXPECT_EQ(control.parity, parities[code - 2]);
        EXPECT_TRUE(control.parityCheck);
        EXPECT_TRUE(control.errorCharEnabled);
        EXPECT_EQ(control.errorChar, ' ');
    }
}

TEST(ConfigWord, OffBitsWinOverOnBits) {
    DeviceControl start;
    EXPECT_FALSE(ApplyConfigWord(start, (1u << 24) | (1u << 25)).ctsFlow);
    EXPECT_TRUE(ApplyConfigWord(start, 1u << 24).ctsFlow);
    EXPECT_FALSE(ApplyConfigWord(start, (1u << 26) | (1u << 27)).dsrFlow);
    EXPECT_TRUE(ApplyConfigWord(start, 1u << 26).dsrFlow);
}

TEST(ConfigWord, SmallFieldsMapToTheirSettings) {
    DeviceControl start;
    EXPECT_EQ(ApplyConfigWord(start, 0x1000).byteSize, 4);
    EXPECT_EQ(ApplyConfigWord(start, 0x4000).byteSize, 7);
    EXPECT_EQ(ApplyConfigWord(start, 0x20).stopBits, StopBits::kOneAndHalf);
    EXPECT_EQ(ApplyConfigWord(start, 0x30).stopBits, StopBits::kTwo);
    EXPECT_EQ(ApplyConfigWord(start, 0x10000).dtrControl, DtrControl::kDisable);
    EXPECT_EQ(ApplyConfigWord(start, 0x30000).dtrControl, DtrControl::kHandshake);
    EXPECT_EQ(ApplyConfigWord(start, 0x400000).rtsControl, RtsControl::kToggle);
    const DeviceControl xon = ApplyConfigWord(OddSettings(), 0x10000000);
    EXPECT_TRUE(xon.xonXoffOut && xon.xonXoffIn);
    EXPECT_FALSE(xon.txContinueOnXoff);
}

}  // namespace
}  // namespace torv
