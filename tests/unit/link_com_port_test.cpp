#include "link/com_port.h"

#include <pthread.h>
#include <signal.h>

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <thread>

#include "link/device_control.h"
#include "link/frames.h"
#include "link/port_names.h"
#include "tests/support/pty_pair.h"

namespace torv {
namespace {

constexpr int kPort = 42;
using Bytes = std::vector<std::uint8_t>;

class ComPortOnPty : public ::testing::Test {
  protected:
    void SetUp() override { SetComPortDevicePath(kPort, m_pty.devicePath()); }
    void TearDown() override {
        CloseComPort(kPort);
        SetComPortDevicePath(kPort, {});
    }
    test::PtyPair m_pty;
    std::string m_lastErrorText;
};

TEST(ComPort, NumbersOutsideTheTableAreRejectedEverywhere) {
    std::array<std::uint8_t, 4> buffer{};
    for (int port : {0, -1, kComPortCount + 1}) {
        EXPECT_EQ(OpenComPort(port, 512, 512), kComBadPortNumber) << port;
        EXPECT_EQ(ReadComPort(port, buffer.data(), 4), 0);
        EXPECT_EQ(WriteComPort(port, buffer.data(), 4), 0);
        EXPECT_EQ(SetComConfig(port, kDefaultConfigWord), kComNotUsable);
        EXPECT_EQ(SetComReadTimeout(port, 10), kComNotUsable);
        EXPECT_EQ(SetComWriteTimeout(port, 10), kComNotUsable);
        EXPECT_EQ(PurgeComInput(port), kComNotUsable);
        EXPECT_EQ(CloseComPort(port), kComNotUsable);
    }
}

TEST(ComPort, MissingDeviceFailsAndStaysReopenable) {
    SetComPortDevicePath(kPort, "/nonexistent/ttyTORV");
    EXPECT_EQ(OpenComPort(kPort, 512, 512), kComCreateFailed);
    EXPECT_EQ(CloseComPort(kPort), kComNotUsable);  // never opened
    test::PtyPair pty;
    SetComPortDevicePath(kPort, pty.devicePath());
    EXPECT_EQ(OpenComPort(kPort, 512, 512), kComOpened);
    EXPECT_EQ(CloseComPort(kPort), kComOk);
    SetComPortDevicePath(kPort, {});
}

TEST_F(ComPortOnPty, OpenAppliesTheDefaultRateAndASecondOpenKeepsTheFirstHandle) {
    ASSERT_EQ(OpenComPort(kPort, 512, 512), kComOpened);
    EXPECT_EQ(m_pty.lineRate(), 9600u);
    EXPECT_EQ(OpenComPort(kPort, 512, 512), kComAlreadyOpen);
    const std::array<std::uint8_t, 3> bytes{1, 2, 3};
    EXPECT_EQ(WriteComPort(kPort, bytes.data(), 3), 3);
    EXPECT_EQ(m_pty.receive(3), std::vector<std::uint8_t>({1, 2, 3}));
    EXPECT_EQ(CloseComPort(kPort), kComOk);
    EXPECT_EQ(CloseComPort(kPort), kComNotUsable);
}

TEST_F(ComPortOnPty, SettingsATerminalCannotDoAreRefused) {
    ASSERT_EQ(OpenComPort(kPort, 512, 512), kComOpened);
    EXPECT_EQ(SetComConfig(kPort, 0x20), kComDeviceRefused);    // 1.5 stop bits
    EXPECT_EQ(SetComConfig(kPort, 0x1000), kComDeviceRefused);  // 4 data bits
    EXPECT_EQ(SetComConfig(kPort, 0), kComOk);
}

TEST_F(ComPortOnPty, SendCommandPutsTheWorkedFramesOnTheWire) {
    ASSERT_EQ(OpenLink(kPort, kDefaultBaudIndex), kLinkOpened);
    const struct {
        std::uint8_t command;
        std::array<std::uint8_t, 2> data;
        Bytes wire;
    } cases[] = {
        {'R', {0x00, 0x00}, {0x52, 0x00, 0x00, 0xAD}},
        {'S', {0x00, 0x07}, {0x53, 0x00, 0x07, 0xA5}},
        {'R', {0xAE, 0x00}, {0x52, 0xAE, 0x00, 0xFF}},  // the sum wraps to zero
        {'W', {0xFF, 0xFF}, {0x57, 0xFF, 0xFF, 0xAA}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SendCommand(kPort, c.command, c.data.data(), 2), 4);
        EXPECT_EQ(m_pty.receive(4), c.wire);
    }
    // A size beyond the buffer is refused and sends nothing.
    std::array<std::uint8_t, 300> buffer{};
    EXPECT_EQ(SendCommand(kPort, 'R', buffer.data(), kMaxCommandData + 1), 0);
    EXPECT_TRUE(m_pty.receive(1, 50).empty());
}

// Stale input is dropped (purged) at the open, so the first reply read is the sensor's own; every link
// rate reaches the line.
TEST_F(ComPortOnPty, OpenLinkSetsTheRateOfTheIndexPurgesStaleInputAndEveryRateReachesTheLine) {
    m_pty.send({0x99, 0x98});  // left over from an earlier session
    ASSERT_EQ(OpenLink(kPort, 5), kLinkOpened);
    EXPECT_EQ(m_pty.lineRate(), 115200u);
    m_pty.send({0x06, 0x34, 0x12, 0xB3});
    std::array<std::uint8_t, 2> reply{};
    EXPECT_EQ(ReceiveReply(kPort, reply.data(), 2, 200, m_lastErrorText), 1);
    EXPECT_EQ(reply, (std::array<std::uint8_t, 2>{0x34, 0x12}));
    for (int index = 0; index < kBaudIndexCount; ++index) {
        EXPECT_EQ(SetLinkBaud(kPort, index), 0);
        EXPECT_EQ(m_pty.lineRate(), static_cast<unsigned>(kBaudRates[static_cast<std::size_t>(index)]));
    }
    CloseLink(kPort);
    for (int index : {7, -1}) {
        EXPECT_EQ(OpenLink(kPort, index), kLinkBadBaudIndex);
        EXPECT_EQ(CloseComPort(kPort), kComNotUsable) << "port left open for index " << index;
    }
}

extern "C" void IgnoreSignal(int) {}

// Signals keep arriving (a terminal resizing, a timer) while the tool waits for a reply: the wait
// still ends when its time-out has passed since it began, not a time-out after the last signal.
TEST_F(ComPortOnPty, SignalsDuringAWaitDoNotRestartTheTimeOut) {
    ASSERT_EQ(OpenComPort(kPort, 512, 512), kComOpened);
    ASSERT_EQ(SetComReadTimeout(kPort, kComDefaultTimeoutMs), kComOk);
    struct sigaction action {};
    action.sa_handler = IgnoreSignal;  // no SA_RESTART: every signal interrupts the wait
    struct sigaction previous {};
    sigaction(SIGUSR1, &action, &previous);
    constexpr auto kStormLength = std::chrono::seconds(6);
    std::atomic<bool> storming = true;
    const pthread_t reader = pthread_self();
    std::thread storm([&] {
        const auto end = std::chrono::steady_clock::now() + kStormLength;
        while (std::chrono::steady_clock::now() < end && storming) {
            pthread_kill(reader, SIGUSR1);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        storming = false;
    });
    std::array<std::uint8_t, 4> buffer{};
    EXPECT_EQ(ReadComPort(kPort, buffer.data(), 4), 0);
    EXPECT_TRUE(storming.exchange(false)) << "the wait lasted as long as the signals came";
    storm.join();
    sigaction(SIGUSR1, &previous, nullptr);
}

}  // namespace
}  // namespace torv
