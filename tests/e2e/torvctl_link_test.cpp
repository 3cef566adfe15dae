// torvctl's raw exchange and its global options, run as a program against torvsim (its failures are in
// torvctl_errors_test).

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "tests/support/simulated_sensor.h"

namespace torv {
namespace {

using test::RunTorvctl;

std::string HexWord(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X %02X", value & 0xFF, (value >> 8) & 0xFF);
    return text;
}

// The reply's data bytes in hex: a word, the sensor's version characters ("0105") with --trace showing
// both directions on stderr, a 256-byte block, and a key press, which asks first (--yes agrees).
TEST(TorvctlExchange, PrintsTheReplyDataInHex) {
    test::SimulatedSensor sensor;
    const auto word = RunTorvctl({"--port", sensor.devicePath(), "exchange", "R", "0x10", "0"});
    EXPECT_EQ(word.exitCode, 0) << word.err;
    EXPECT_EQ(word.err, "");
    const auto traced = RunTorvctl({"--trace", "--port", sensor.devicePath(), "exchange", "S", "0", "7"});
    EXPECT_EQ(traced.out, "30 31\n");
    // The trace window's lines: the frame with its command letter, the reply joined into one line.
    EXPECT_NE(traced.err.find("  ->  S  53 00 07 A5\n"), std::string::npos) << traced.err;
    EXPECT_NE(traced.err.find("  <-     06 30 31 98\n"), std::string::npos) << traced.err;
    test::SimulatedSensor refusing({"--fault", "1=nak"});
    const auto refused =
        RunTorvctl({"--trace", "--port", refusing.devicePath(), "exchange", "R", "0x10", "0"});
    EXPECT_NE(refused.exitCode, 0);
    EXPECT_NE(refused.err.find("  <-     15  !! NAK\n"), std::string::npos) << refused.err;
    const auto block =
        RunTorvctl({"--port", sensor.devicePath(), "exchange", "V", "0", "249", "--reply-bytes", "256"});
    EXPECT_EQ(block.exitCode, 0) << block.err;
    EXPECT_EQ(block.out.size(), 256u * 3);  // "XX" and a blank or the final newline each
    const auto key = RunTorvctl({"--yes", "--port", sensor.devicePath(), "exchange", "P", "4", "0"});
    EXPECT_EQ(key.out, "04 00\n") << key.err;  // a command that changes the sensor, agreed to
    const test::SimState state = sensor.stopAndReadState();
    EXPECT_EQ(word.out, HexWord(state.word(16)) + "\n");
    EXPECT_EQ(state.keys, std::vector<int>{4});
}

TEST(TorvctlExchange, UsageErrorsExitTwo) {
    const std::vector<std::vector<std::string>> cases = {
        {"exchange", "R", "0"},
        {"exchange", "RR", "0", "0"},
        {"exchange", "R", "0", "256"},
        {"exchange", "R", "0", "0", "--reply-bytes", "300"},
        {"--baud", "1234", "exchange", "R", "0", "0"},
        {"--port", "COM0", "exchange", "R", "0", "0"},
        {"--yes", "--no", "clock", "set"},
        {"ng", "read", "slot", "--ng", "31"},
        {"dict", "from-ng", "slot", "--ng", "31"},
        {"--port", "COM1", "key", "SET", "ENTER"},
        {"--port", "COM1", "key"},
    };
    for (const auto& arguments : cases) {
        EXPECT_EQ(RunTorvctl(arguments).exitCode, 2) << arguments.back();
    }
}

// Short options, the port and rate from the environment for scripts that talk to one sensor, and -q.
TEST(TorvctlExchange, ShortOptionsEnvironmentDefaultsAndVersion) {
    test::SimulatedSensor sensor({"--baud", "9600"});
    const auto shortOptions =
        RunTorvctl({"-p", sensor.devicePath(), "-b", "9600", "-y", "exchange", "S", "0", "7"});
    EXPECT_EQ(shortOptions.out, "30 31\n") << shortOptions.err;
    const auto fromEnvironment =
        RunTorvctl({"exchange", "S", "0", "7"}, {"TORV_PORT=" + sensor.devicePath(), "TORV_BAUD=9600"});
    EXPECT_EQ(fromEnvironment.out, "30 31\n") << fromEnvironment.err;
    const auto optionWins = RunTorvctl({"-b", "57600", "exchange", "S", "0", "7"},
                                       {"TORV_PORT=" + sensor.devicePath(), "TORV_BAUD=9600"});
    EXPECT_EQ(optionWins.exitCode, 1);  // the sensor talks at 9600: nothing it can read
    // -q keeps the success text off stdout, not the file or a failure's message.
    test::TempDir files;
    const auto quiet =
        RunTorvctl({"-q", "-p", sensor.devicePath(), "-b", "9600", "params", "read", files.file("q")});
    EXPECT_EQ(quiet.exitCode, 0) << quiet.err;
    EXPECT_EQ(quiet.out, "");
    EXPECT_EQ(test::ListFolder(files.path()), std::vector<std::string>{"q.torv"});
    const auto quietFailure =
        RunTorvctl({"--quiet", "-p", sensor.devicePath(), "params", "read", files.file("r")});
    EXPECT_EQ(quietFailure.err.substr(0, quietFailure.err.find('\n')), "No communication response.");
    const auto version = RunTorvctl({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "torvctl 1.0\n");
}

TEST(TorvctlExchange, ComPortNamesFollowThePortsFolder) {
    test::TempDir config;
    const std::string xdg = "XDG_CONFIG_HOME=" + config.path().string();
    setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);  // torvsim inherits it and makes its link there
    test::SimulatedSensor sensor({"--link", "COM3", "--baud", "19200"});
    unsetenv("XDG_CONFIG_HOME");
    const auto result = RunTorvctl({"--port", "COM3", "--baud", "19200", "exchange", "R", "0", "0"}, {xdg});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const auto ports = RunTorvctl({"ports"}, {xdg});
    EXPECT_NE(ports.out.find("COM3   " + sensor.devicePath() + " (link)"), std::string::npos) << ports.out;
}

}  // namespace
}  // namespace torv
