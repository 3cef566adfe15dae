// The low-latency request every port's open makes: asked with the driver's other flags kept, and a
// driver that refuses it (every pseudo-terminal does) leaves the port working as before.

#include "link/posix/low_latency.h"

#include <linux/serial.h>
#include <sys/ioctl.h>

#include <gtest/gtest.h>

#include <cerrno>

#include "link/com_port.h"
#include "link/frames.h"
#include "link/port_names.h"
#include "tests/support/pty_pair.h"

namespace torv {
namespace {

constexpr int kPort = 21;

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

class LowLatency : public ::testing::Test {
  protected:
    void SetUp() override {
        SetSerialIoctl(FakeSerialIoctl);
        SetComPortDevicePath(kPort, m_line.devicePath());
    }
    void TearDown() override {
        CloseComPort(kPort);
        SetComPortDevicePath(kPort, {});
        SetSerialIoctl(nullptr);
    }
    // Opens the port with the driver as given, and makes one exchange over it.
    std::vector<SerialCall> openAndExchange(Driver kind, int flags) {
        g_driver = {kind, flags, {}};
        EXPECT_EQ(OpenComPort(kPort, kLinkQueueSize, kLinkQueueSize), kComOpened);
        m_line.send({0x06, 0x34, 0x12, 0xB3});
        const std::uint8_t data[2] = {0, 0};
        SendCommand(kPort, kReadWordCommand, data, 2);
        std::uint8_t reply[2] = {};
        std::string error;
        EXPECT_EQ(ReceiveReply(kPort, reply, 2, kReplyTimeoutMs, error), 1) << error;
        EXPECT_EQ(CloseComPort(kPort), kComOk);
        return g_driver.calls;
    }
    test::PtyPair m_line;
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

}  // namespace
}  // namespace torv
