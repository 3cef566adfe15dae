// The frame layer against a real simulated sensor: what ReceiveReply leaves in the caller's buffer and
// on the line for each kind of bad reply (the fault matrix checks the message of each).

#include <gtest/gtest.h>

#include <array>

#include "link/com_port.h"
#include "link/frames.h"
#include "resources/strings.h"
#include "tests/support/simulated_sensor.h"

namespace torv {
namespace {

using Word = std::array<std::uint8_t, 2>;

class ReplyFromSim : public ::testing::Test {
  protected:
    // Exchange 1 is clean and gives the reference reply; exchange 2 carries the fault.
    void startWithSecondExchange(const std::string& fault) {
        m_sensor = std::make_unique<test::SimulatedSensor>(std::vector<std::string>{"--fault", "2=" + fault});
        ASSERT_EQ(OpenLink(m_sensor->port(), kDefaultBaudIndex), kLinkOpened);
        ASSERT_EQ(readWordZero(m_reference), 1) << m_lastErrorText;
    }
    void TearDown() override {
        if (m_sensor) {
            CloseLink(m_sensor->port());
        }
    }
    int readWordZero(Word& reply) {
        const Word address{0, 0};
        SendCommand(m_sensor->port(), kReadWordCommand, address.data(), 2);
        return ReceiveReply(m_sensor->port(), reply.data(), 2, kReplyTimeoutMs, m_lastErrorText);
    }

    std::unique_ptr<test::SimulatedSensor> m_sensor;
    Word m_reference{};
    std::string m_lastErrorText;
};

TEST_F(ReplyFromSim, BadChecksumStillCopiesTheDataBytes) {
    startWithSecondExchange("checksum");
    Word reply{0xEE, 0xEE};
    EXPECT_EQ(readWordZero(reply), 0);
    EXPECT_EQ(reply, m_reference);
}

TEST_F(ReplyFromSim, NakLeavesTheRestOfTheReplyUnread) {
    startWithSecondExchange("nak");
    Word reply{0xEE, 0xEE};
    EXPECT_EQ(readWordZero(reply), 0);
    EXPECT_EQ(reply, (Word{0xEE, 0xEE}));
    std::array<std::uint8_t, 3> rest{};
    SetComReadTimeout(m_sensor->port(), kReplyTimeoutMs);
    ASSERT_EQ(ReadComPort(m_sensor->port(), rest.data(), 3), 3);
    EXPECT_EQ(rest[0], m_reference[0]);
    EXPECT_EQ(rest[1], m_reference[1]);
}

TEST_F(ReplyFromSim, TruncatedReplyCopiesWhatArrived) {
    startWithSecondExchange("truncate");
    Word reply{0xEE, 0xEE};
    EXPECT_EQ(readWordZero(reply), 0);
    EXPECT_EQ(reply[0], m_reference[0]);
    EXPECT_EQ(reply[1], 0xEE);
}

TEST_F(ReplyFromSim, LineAtAnotherRateGetsNoValidReply) {
    m_sensor = std::make_unique<test::SimulatedSensor>(std::vector<std::string>{"--baud", "9600"});
    ASSERT_EQ(OpenLink(m_sensor->port(), kDefaultBaudIndex), kLinkOpened);
    Word reply{};
    EXPECT_EQ(readWordZero(reply), 0);
    EXPECT_EQ(m_lastErrorText, Text(StringId::kNoResponse));
    SetLinkBaud(m_sensor->port(), 1);
    EXPECT_EQ(readWordZero(reply), 1) << m_lastErrorText;
}

}  // namespace
}  // namespace torv
