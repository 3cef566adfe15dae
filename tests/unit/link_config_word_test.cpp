// Port settings and network ports: what each field of a configuration word changes, how a name becomes
// a server's address, and how a configuration word becomes the RFC 2217 requests the device server is
// sent.

#include <gtest/gtest.h>

#include <functional>

#include "link/device_control.h"
#include "link/network_port_name.h"
#include "link/rfc2217/rfc2217_settings.h"

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

TEST(NetworkPortName, NamesAServerAndItsTcpPort) {
    struct Case {
        const char* name;
        std::optional<NetworkPortAddress> address;
    };
    const std::vector<Case> cases = {
        {"rfc2217://10.0.0.7:3001", NetworkPortAddress{"10.0.0.7", 3001}},
        {"rfc2217://gw-line3.plant.local:4001", NetworkPortAddress{"gw-line3.plant.local", 4001}},
        {"RFC2217://Gateway:1", NetworkPortAddress{"Gateway", 1}},
        {"rfc2217://[fe80::1%eth0]:65535", NetworkPortAddress{"fe80::1%eth0", 65535}},
        {"rfc2217://10.0.0.7", std::nullopt},        // no port
        {"rfc2217://10.0.0.7:", std::nullopt},       // empty port
        {"rfc2217://10.0.0.7:0", std::nullopt},      // out of range
        {"rfc2217://10.0.0.7:65536", std::nullopt},  // out of range
        {"rfc2217://10.0.0.7:30a1", std::nullopt},   // not a number
        {"rfc2217://:3001", std::nullopt},           // no host
        {"rfc2217://fe80::1:3001", std::nullopt},    // IPv6 without brackets
        {"rfc2217://[10.0.0.7:3001", std::nullopt},  // unclosed bracket
        {"rfc2217://a,b:3001", std::nullopt},        // would split the connection string
        {"rfc2217://a b:3001", std::nullopt},        // blank
        {"rfc2217://host:3001/path", std::nullopt},  // trailing path
        {"/dev/ttyUSB0", std::nullopt},              // a device
        {"tcp://10.0.0.7:3001", std::nullopt},       // another scheme
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseNetworkPortName(c.name), c.address) << c.name;
    }
    EXPECT_TRUE(IsNetworkPortName("rfc2217://10.0.0.7"));  // malformed, but never a file either
    EXPECT_FALSE(IsNetworkPortName("rfc2217:/10.0.0.7:1"));
}

TEST(Rfc2217Settings, ConfigurationWordsBecomeServerRequestsOrAreRefused) {
    const DeviceControl plain = ApplyConfigWord(DeviceControl{}, kDefaultConfigWord);
    struct Case {
        const char* what;
        std::uint32_t word;  // applied on top of the default settings
        std::optional<Rfc2217Settings> settings;
    };
    using P = Rfc2217Parity;
    using S = Rfc2217StopBits;
    using F = Rfc2217FlowControl;
    using R = Rfc2217Settings;
    const std::vector<Case> cases = {
        {"default word", 0, R{{9600, 8, P::kNone, S::kOne}, {F::kNone, true, true}}},
        {"the link's 57600", 0x10C, R{{57600, 8, P::kNone, S::kOne}, {F::kNone, true, true}}},
        {"256000 after a store", 0x10F, R{{256000, 8, P::kNone, S::kOne}, {F::kNone, true, true}}},
        {"odd, 7 bits, two stop", 0x4230, R{{9600, 7, P::kOdd, S::kTwo}, {F::kNone, true, true}}},
        {"even, 5 bits, 1.5 stop", 0x2320, R{{9600, 5, P::kEven, S::kOneAndHalf}, {F::kNone, true, true}}},
        {"mark", 0x400, R{{9600, 8, P::kMark, S::kOne}, {F::kNone, true, true}}},
        {"space", 0x500, R{{9600, 8, P::kSpace, S::kOne}, {F::kNone, true, true}}},
        {"DTR and RTS off", 0x110000, R{{9600, 8, P::kNone, S::kOne}, {F::kNone, false, false}}},
        {"CTS flow", 0x1000000, R{{9600, 8, P::kNone, S::kOne}, {F::kHardware, true, true}}},
        {"RTS handshake", 0x300000, R{{9600, 8, P::kNone, S::kOne}, {F::kHardware, true, true}}},
        {"XON/XOFF", 0x10000000, R{{9600, 8, P::kNone, S::kOne}, {F::kXonXoff, true, true}}},
        {"CTS flow on and off", 0x3000000, R{{9600, 8, P::kNone, S::kOne}, {F::kNone, true, true}}},
        {"4 data bits", 0x1000, std::nullopt},
        {"DTR handshake", 0x30000, std::nullopt},
        {"RTS toggle", 0x400000, std::nullopt},
        {"DSR flow", 0x4000000, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Rfc2217SettingsFor(ApplyConfigWord(plain, c.word)), c.settings) << c.what;
    }
}

TEST(Rfc2217Settings, CharacterTimeCountsEveryBitOnTheLine) {
    const DeviceControl plain = ApplyConfigWord(DeviceControl{}, kDefaultConfigWord);
    EXPECT_EQ(BitsPerCharacter(plain), 10);
    EXPECT_EQ(BitsPerCharacter(ApplyConfigWord(plain, 0x4230)), 11);  // 7 bits, odd, two stop
    EXPECT_EQ(BitsPerCharacter(ApplyConfigWord(plain, 0x2320)), 9);   // 5 bits, even, 1.5 stop
}

}  // namespace
}  // namespace torv
