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

class ComPortOnPty : public ::testing::Test {
  protected:
    void SetUp() override { SetComPortDevicePath(kPort, m_pty.devicePath()); }
    void TearDown() override {
        CloseComPort(kPort);
        SetComPortDevicePath(kPort, {});
    }
    test::PtyPair m_pty;
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

TEST_F(ComPortOnPty, SecondOpenKeepsTheFirstHandle) {
    ASSERT_EQ(OpenComPort(kPort, 512, 512), kComOpened);
    EXPECT_EQ(OpenComPort(kPort, 512, 512), kComAlreadyOpen);
    const std::array<std::uint8_t, 3> bytes{1, 2, 3};
    EXPECT_EQ(WriteComPort(kPort, bytes.data(), 3), 3);
    EXPECT_EQ(m_pty.receive(3), std::vector<std::uint8_t>({1, 2, 3}));
    EXPECT_EQ(CloseComPort(kPort), kComOk);
    EXPECT_EQ(CloseComPort(kPort), kComNotUsable);
}

TEST_F(ComPortOnPty, OpenAppliesTheDefaultRateAndAllSevenLinkRatesReachTheLine) {
    ASSERT_EQ(OpenComPort(kPort, 512, 512), kComOpened);
    EXPECT_EQ(m_pty.lineRate(), 9600u);
    for (int index = 0; index < kBaudIndexCount; ++index) {
        EXPECT_EQ(SetLinkBaud(kPort, index), 0);
        EXPECT_EQ(m_pty.lineRate(), static_cast<unsigned>(kBaudRates[static_cast<std::size_t>(index)]));
    }
}

TEST_F(ComPortOnPty, SettingsATerminalCannotDoAreRefused) {
    ASSERT_EQ(OpenComPort(kPort, 512, 512), kComOpened);
    EXPECT_EQ(SetComConfig(kPort, 0x20), kComDeviceRefused);    // 1.5 stop bits
    EXPECT_EQ(SetComConfig(kPort, 0x1000), kComDeviceRefused);  // 4 data bits
    EXPECT_EQ(SetComConfig(kPort, 0), kComOk);
}

TEST_F(ComPortOnPty, ReadReturnsWhatArrivedWithinTheTimeOut) {
    ASSERT_EQ(OpenComPort(kPort, 512, 512), kComOpened);
    ASSERT_EQ(SetComReadTimeout(kPort, 50), kComOk);
    std::array<std::uint8_t, 8> buffer{};
    EXPECT_EQ(ReadComPort(kPort, buffer.data(), 8), 0);
    m_pty.send({0x06, 0x34});
    EXPECT_EQ(ReadComPort(kPort, buffer.data(), 8), 2);
    EXPECT_EQ(buffer[1], 0x34);
}

TEST_F(ComPortOnPty, PurgeDropsPendingInputOnly) {
    ASSERT_EQ(OpenComPort(kPort, 512, 512), kComOpened);
    m_pty.send({1, 2, 3});
    m_pty.receive(0, 50);  // let the bytes cross the terminal
    EXPECT_EQ(PurgeComInput(kPort), kComOk);
    SetComReadTimeout(kPort, 50);
    std::array<std::uint8_t, 4> buffer{};
    EXPECT_EQ(ReadComPort(kPort, buffer.data(), 4), 0);
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
