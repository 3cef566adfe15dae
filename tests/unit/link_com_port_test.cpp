// The POSIX port backend on a pseudo-terminal: port numbers, opening, the frames on the wire, rates,
// signals during a wait, and the low-latency request every port's open makes (asked with the driver's
// other flags kept; a driver that refuses it, as every pseudo-terminal does, leaves the port working).
// Then what the port list says a device is, read from a sysfs tree laid out as the kernel lays out USB
// adapters and built-in ports, and which network ports warn that they are not encrypted.

#include "link/com_port.h"

#include <linux/serial.h>
#include <pthread.h>
#include <signal.h>
#include <sys/ioctl.h>

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "link/device_control.h"
#include "link/frames.h"
#include "link/port_names.h"
#include "link/port_security.h"
#include "link/posix/low_latency.h"
#include "tests/support/pty_pair.h"
#include "tests/support/temp_dir.h"

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

TEST_F(ComPortOnPty, MissingDeviceFailsAndStaysReopenable) {
    SetComPortDevicePath(kPort, "/nonexistent/ttyTORV");
    EXPECT_EQ(OpenComPort(kPort, 512, 512), kComCreateFailed);
    EXPECT_EQ(CloseComPort(kPort), kComNotUsable);  // never opened
    SetComPortDevicePath(kPort, m_pty.devicePath());
    EXPECT_EQ(OpenComPort(kPort, 512, 512), kComOpened);
    EXPECT_EQ(CloseComPort(kPort), kComOk);
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

enum class Driver { kTakesIt, kRefusesAll, kRefusesTheChange };

struct SerialCall {
    unsigned long request;
    int flags;  // as asked for, for TIOCSSERIAL
    bool operator==(const SerialCall&) const = default;
};

// The driver behind the fake ioctl, shared with the function the backend calls.
struct FakeDriver {
    Driver kind = Driver::kTakesIt;
    int flags = 0;
    std::vector<SerialCall> calls;
};
FakeDriver g_driver;

int FakeSerialIoctl(int, unsigned long request, void* argument) {
    auto* serial = static_cast<serial_struct*>(argument);
    g_driver.calls.push_back({request, request == TIOCSSERIAL ? serial->flags : 0});
    if (g_driver.kind == Driver::kRefusesAll ||
        (request == TIOCSSERIAL && g_driver.kind == Driver::kRefusesTheChange)) {
        errno = request == TIOCGSERIAL ? ENOTTY : EPERM;
        return -1;
    }
    if (request == TIOCGSERIAL) {
        serial->flags = g_driver.flags;
    } else {
        g_driver.flags = serial->flags;
    }
    return 0;
}

class LowLatency : public ComPortOnPty {
  protected:
    void SetUp() override {
        SetSerialIoctl(FakeSerialIoctl);
        ComPortOnPty::SetUp();
    }
    void TearDown() override {
        ComPortOnPty::TearDown();
        SetSerialIoctl(nullptr);
    }
    // Opens the port with the driver as given, and makes one exchange over it.
    std::vector<SerialCall> openAndExchange(Driver kind, int flags) {
        g_driver = {kind, flags, {}};
        EXPECT_EQ(OpenComPort(kPort, kLinkQueueSize, kLinkQueueSize), kComOpened);
        m_pty.send({0x06, 0x34, 0x12, 0xB3});
        const std::uint8_t data[2] = {0, 0};
        SendCommand(kPort, kReadWordCommand, data, 2);
        std::uint8_t reply[2] = {};
        EXPECT_EQ(ReceiveReply(kPort, reply, 2, kReplyTimeoutMs, m_lastErrorText), 1) << m_lastErrorText;
        EXPECT_EQ(CloseComPort(kPort), kComOk);
        return g_driver.calls;
    }
};

TEST_F(LowLatency, IsAskedForOnOpenAndARefusalIsHarmless) {
    const SerialCall get{TIOCGSERIAL, 0};
    EXPECT_EQ(openAndExchange(Driver::kTakesIt, ASYNC_SKIP_TEST),
              (std::vector<SerialCall>{get, {TIOCSSERIAL, ASYNC_SKIP_TEST | ASYNC_LOW_LATENCY}}));
    EXPECT_EQ(openAndExchange(Driver::kTakesIt, ASYNC_LOW_LATENCY), std::vector<SerialCall>{get});
    EXPECT_EQ(openAndExchange(Driver::kRefusesAll, 0), std::vector<SerialCall>{get});
    EXPECT_EQ(openAndExchange(Driver::kRefusesTheChange, 0),
              (std::vector<SerialCall>{get, {TIOCSSERIAL, ASYNC_LOW_LATENCY}}));
}

namespace fs = std::filesystem;

TEST(PortDetails, UsbAdaptersNameMakerProductSerialAndLatencyTimer) {
    test::TempDir folder;
    const fs::path sys = folder.path() / "sys";
    // tty -> interface folder -> USB device folder (the one with idVendor) -> hub
    const fs::path usbDevice = sys / "devices/pci0000:00/usb1/1-2";
    fs::create_directories(usbDevice / "1-2:1.0/ttyUSB3");
    test::WriteFileBytes((usbDevice / "1-2:1.0/latency_timer").string(), "16\n");
    for (const auto& [name, value] : {std::pair{"idVendor", "0403"},
                                      {"manufacturer", "FTDI"},
                                      {"product", "FT232R USB UART"},
                                      {"serial", "A10K3XYZ"}}) {
        test::WriteFileBytes((usbDevice / name).string(), std::string(value) + "\n");
    }
    fs::create_directories(sys / "class/tty/ttyUSB3");
    fs::create_directory_symlink(usbDevice / "1-2:1.0", sys / "class/tty/ttyUSB3/device");
    fs::create_directories(sys / "class/tty/ttyS0");
    fs::create_directories(sys / "devices/platform/serial8250");
    fs::create_directory_symlink(sys / "devices/platform/serial8250", sys / "class/tty/ttyS0/device");
    test::WriteFileBytes((sys / "class/tty/ttyS0/type").string(), "4\n");
    fs::create_directories(sys / "class/tty/ttyS1");
    fs::create_directory_symlink(sys / "devices/platform/serial8250", sys / "class/tty/ttyS1/device");
    test::WriteFileBytes((sys / "class/tty/ttyS1/type").string(), "0\n");
    fs::create_directories(folder.path() / "dev");
    for (const char* device : {"ttyUSB3", "ttyS0", "ttyS1"}) {
        test::WriteFileBytes(folder.file("dev/") + device, "");
    }
    fs::create_symlink(folder.path() / "dev/ttyUSB3", folder.path() / "COM4");
    test::PtyPair pty;

    const struct {
        std::string device;
        std::string description;
        std::optional<int> latencyMs;
    } cases[] = {
        {folder.file("COM4"), "USB serial adapter FTDI FT232R USB UART, serial A10K3XYZ", 16},
        {folder.file("dev/ttyS0"), "built-in serial port", std::nullopt},
        {folder.file("dev/ttyS1"), "no device (a serial port without hardware)", std::nullopt},
        {folder.file("dev/ttyUSB9"), "no device", std::nullopt},
        {pty.devicePath(), "pseudo-terminal", std::nullopt},
        {"rfc2217://10.0.0.7:3001", "network port, not encrypted", std::nullopt},
        {"rfc2217s://line3-srv:3001", "network port, TLS", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DescribeSerialDevice(c.device, sys.string()), c.description) << c.device;
        EXPECT_EQ(UsbLatencyTimerMs(c.device, sys.string()), c.latencyMs) << c.device;
    }
}

// A plain port to another host warns on every run, unless the ports folder's list accepts it (in any
// spelling of it); TLS and the loopback never warn.
TEST(PortSecurity, UnencryptedPortsToOtherHostsWarnUnlessAccepted) {
    test::TempDir config;
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string before = saved != nullptr ? saved : "";
    setenv("XDG_CONFIG_HOME", config.path().string().c_str(), 1);
    fs::create_directories(fs::path(PortsFolder()));
    test::WriteFileBytes(AcceptedUnencryptedPortsFile(),
                         "# weighed on 2026-11-02\n  RFC2217://Line7-GW:4001 \n");
    const struct {
        const char* port;
        bool warns;
    } cases[] = {
        {"rfc2217://10.0.3.5:4001", true},
        {"rfc2217://line3-gw.plant:4001", true},
        {"rfc2217://[fe80::1]:4001", true},
        {"rfc2217://127.0.0.1:4001", false},
        {"rfc2217://127.12.0.9:4001", false},
        {"rfc2217://localhost:4001", false},
        {"rfc2217://[::1]:4001", false},
        {"rfc2217://127.example:4001", true},
        {"rfc2217s://10.0.3.5:4001", false},
        {"rfc2217://line7-gw:4001", false},
        {"/dev/ttyUSB0", false},
    };
    for (const auto& c : cases) {
        const std::string warning = UnencryptedPortWarning(c.port);
        EXPECT_EQ(!warning.empty(), c.warns) << c.port;
        if (c.warns) {
            EXPECT_EQ(
                warning.rfind(std::string(c.port) + " is not encrypted: anyone on the network between", 0),
                0u)
                << warning;
        }
    }
    if (saved != nullptr) {
        setenv("XDG_CONFIG_HOME", before.c_str(), 1);
    } else {
        unsetenv("XDG_CONFIG_HOME");
    }
}

}  // namespace
}  // namespace torv
