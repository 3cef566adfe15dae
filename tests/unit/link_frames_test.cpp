#include "link/frames.h"

#include <gtest/gtest.h>

#include <array>

#include "link/com_port.h"
#include "link/port_names.h"
#include "tests/support/pty_pair.h"

namespace torv {
namespace {

constexpr int kPort = 43;
using Bytes = std::vector<std::uint8_t>;

TEST(FrameChecksum, IsTheComplementOfTheByteSum) {
    const std::array<std::uint8_t, 2> zeros{0, 0};
    const std::array<std::uint8_t, 2> sevenAfterZero{0, 7};
    const std::array<std::uint8_t, 2> reply{0x34, 0x12};
    const std::array<std::uint8_t, 2> wrapsToZero{0xAE, 0x00};  // 'R' + 0xAE = 0x100
    EXPECT_EQ(FrameChecksum('R', zeros), 0xAD);
    EXPECT_EQ(FrameChecksum('S', sevenAfterZero), 0xA5);
    EXPECT_EQ(FrameChecksum(kAck, reply), 0xB3);
    EXPECT_EQ(FrameChecksum('R', wrapsToZero), 0xFF);
}

class LinkOnPty : public ::testing::Test {
  protected:
    void SetUp() override { SetComPortDevicePath(kPort, m_pty.devicePath()); }
    void TearDown() override {
        CloseLink(kPort);
        SetComPortDevicePath(kPort, {});
    }
    test::PtyPair m_pty;
    std::string m_lastErrorText;
};

TEST_F(LinkOnPty, SendCommandPutsTheWorkedFramesOnTheWire) {
    ASSERT_EQ(OpenLink(kPort, kDefaultBaudIndex), kLinkOpened);
    struct Case {
        std::uint8_t command;
        std::array<std::uint8_t, 2> data;
        Bytes wire;
    };
    const Case cases[] = {
        {'R', {0x00, 0x00}, {0x52, 0x00, 0x00, 0xAD}},
        {'S', {0x00, 0x07}, {0x53, 0x00, 0x07, 0xA5}},
        {'R', {0xAE, 0x00}, {0x52, 0xAE, 0x00, 0xFF}},
        {'W', {0xFF, 0xFF}, {0x57, 0xFF, 0xFF, 0xAA}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SendCommand(kPort, c.command, c.data.data(), 2), 4);
        EXPECT_EQ(m_pty.receive(4), c.wire);
    }
}

TEST_F(LinkOnPty, OpenLinkSetsTheRateOfTheIndexAndPurgesStaleInput) {
    m_pty.send({0x99, 0x98});  // left over from an earlier session
    ASSERT_EQ(OpenLink(kPort, 5), kLinkOpened);
    EXPECT_EQ(m_pty.lineRate(), 115200u);
    m_pty.send({0x06, 0x34, 0x12, 0xB3});
    std::array<std::uint8_t, 2> reply{};
    EXPECT_EQ(ReceiveReply(kPort, reply.data(), 2, 200, m_lastErrorText), 1);
    EXPECT_EQ(reply, (std::array<std::uint8_t, 2>{0x34, 0x12}));
}

TEST_F(LinkOnPty, BaudIndexOutsideTheTableClosesThePortAgain) {
    for (int index : {7, -1}) {
        EXPECT_EQ(OpenLink(kPort, index), kLinkBadBaudIndex);
        EXPECT_EQ(CloseComPort(kPort), kComNotUsable) << "port left open for index " << index;
    }
}

TEST(Link, MissingDeviceGivesOpenFailure) {
    SetComPortDevicePath(kPort, "/nonexistent/ttyTORV");
    EXPECT_EQ(OpenLink(kPort, kDefaultBaudIndex), kLinkOpenFailed);
    SetComPortDevicePath(kPort, {});
}

TEST_F(LinkOnPty, ReceiveReplyRefusesSizesBeyondItsBuffer) {
    ASSERT_EQ(OpenLink(kPort, kDefaultBaudIndex), kLinkOpened);
    std::array<std::uint8_t, 300> buffer{};
    EXPECT_EQ(ReceiveReply(kPort, buffer.data(), kMaxReplyData + 1, 50, m_lastErrorText), 0);
    EXPECT_EQ(SendCommand(kPort, 'R', buffer.data(), kMaxCommandData + 1), 0);
    EXPECT_TRUE(m_pty.receive(1, 50).empty());
}

}  // namespace
}  // namespace torv
