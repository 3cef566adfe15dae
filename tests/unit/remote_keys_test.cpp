// The remote controller's key exchange on a scripted line: the dialog stays open after a key the sensor
// did not acknowledge, so whatever arrives of that key's reply afterwards must not be taken for the
// next key's acknowledgement.

#include <gtest/gtest.h>

#include <algorithm>

#include "link/frames.h"
#include "remote/remote_keys.h"
#include "tests/support/scripted_line.h"

namespace torv {
namespace {

constexpr int kPort = 6;

TEST(RemoteKeys, LeftoversOfAFailedKeyAreDroppedBeforeTheNextKey) {
    const struct {
        const char* name;
        std::vector<std::uint8_t> firstReply;  // what the line carries for the first key
        std::vector<std::uint8_t> late;        // what arrives after the tool gave up on it
        const char* message;
    } cases[] = {
        {"late reply",
         {},
         test::AckReply(std::vector<std::uint8_t>{kKeySet, 0}),
         "No communication response."},
        {"noise before the ACK",
         {0xF8, 0x06, kKeySet, 0, 0xF5},
         {},
         "Recieved an invalid communication response."},
    };
    for (const auto& c : cases) {
        test::ScriptedLine line;
        bool first = true;
        line.answer = [&](std::span<const std::uint8_t> frame) {
            const std::vector<std::uint8_t> reply =
                first ? c.firstReply : test::AckReply(std::vector<std::uint8_t>{frame[1], 0});
            first = false;
            return reply;
        };
        ASSERT_EQ(OpenLink(kPort, kDefaultBaudIndex), kLinkOpened);
        OperationState state;
        EXPECT_FALSE(SendKey(state, kPort, kKeySet)) << c.name;
        EXPECT_EQ(state.LastErrorText, c.message) << c.name;
        line.input.insert(line.input.end(), c.late.begin(), c.late.end());

        EXPECT_TRUE(SendKey(state, kPort, kKeyExit)) << c.name;
        EXPECT_EQ(state.CommandBuffer[0], kKeyExit) << c.name << ": the reply read is the EXIT key's own";
        EXPECT_TRUE(line.input.empty()) << c.name;
        const auto write = std::find(line.calls.rbegin(), line.calls.rend(), "write 50 08 00 A7");
        ASSERT_NE(write, line.calls.rend()) << c.name;
        EXPECT_EQ(*(write + 1), "purge") << c.name;
        CloseLink(kPort);
    }
}

}  // namespace
}  // namespace torv
