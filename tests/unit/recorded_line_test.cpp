// What the line sees that a pseudo-terminal cannot show, on a scripted line that records every call: the
// rate switch after the parameter store (the store frame drained before the new rate is set and the reply
// read), and the remote controller's keys (whatever arrives late of a key the sensor did not acknowledge
// fails the next key unsent, and is never taken for its acknowledgement).

#include <gtest/gtest.h>

#include <algorithm>

#include "link/frames.h"
#include "operations/device_operations.h"
#include "params/parameter_file.h"
#include "remote/remote_keys.h"
#include "tests/support/scripted_host.h"
#include "tests/support/scripted_line.h"
#include "tests/support/temp_dir.h"

namespace torv {
namespace {

constexpr int kPort = 5;
constexpr int kCommunic115200 = 6;

TEST(RateSwitch, StoreFrameIsDrainedBeforeTheNewRateAndTheReplyIsReadAfter) {
    test::TempDir folder;
    ParameterSet set = InitialParameterSet();
    set.common[4] = (set.common[4] & ~0x0700) | (kCommunic115200 << 8);
    ASSERT_EQ(SaveParameterFile(folder.file("fast.torv"), set), SaveStatus::Saved);
    test::ScriptedLine line;
    test::ScriptedHost host;
    OperationState state;
    state.OperationCode = kWriteParameters;
    state.ComPortNumber = kPort;
    state.BaudIndex = 4;
    state.OperationFileName = folder.file("fast");
    EXPECT_EQ(RunOperationOfState(state, host).outcome, OperationOutcome::kCompleted);

    const auto store = std::find_if(line.calls.begin(), line.calls.end(),
                                    [](const std::string& call) { return call.starts_with("write 55 "); });
    ASSERT_NE(store, line.calls.end());
    EXPECT_EQ(std::vector<std::string>(store + 1, line.calls.end()),
              (std::vector<std::string>{"drain", "state 115200", "read 1", "read 3", "read 268", "close"}));
    EXPECT_EQ(*(store - 1), "read 268 at once") << "nothing may be waiting before the store frame";
    // Opening: the default settings, then the chosen rate, each after a drain, then the stale input
    // is dropped and the line watched until it has been quiet.
    EXPECT_EQ(std::vector<std::string>(line.calls.begin(), line.calls.begin() + 7),
              (std::vector<std::string>{"open 5", "drain", "state 9600", "drain", "state 57600", "purge",
                                        "read 268"}));
}

TEST(RemoteKeys, LeftoversOfAFailedKeyFailTheNextKeyUnsent) {
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

        const std::size_t callsBefore = line.calls.size();
        EXPECT_FALSE(SendKey(state, kPort, kKeyExit)) << c.name;
        EXPECT_EQ(state.LastErrorText, "Recieved an invalid communication response.") << c.name;
        EXPECT_NE(state.LastErrorDetail.find("a reply came late"), std::string::npos) << c.name;
        EXPECT_TRUE(std::none_of(line.calls.begin() + static_cast<std::ptrdiff_t>(callsBefore),
                                 line.calls.end(),
                                 [](const std::string& call) { return call.starts_with("write"); }))
            << c.name << ": the EXIT key is not sent";

        EXPECT_TRUE(SendKey(state, kPort, kKeyExit)) << c.name << ": the next press finds the line clean";
        EXPECT_EQ(state.CommandBuffer[0], kKeyExit) << c.name << ": the reply read is the EXIT key's own";
        EXPECT_TRUE(line.input.empty()) << c.name;
        CloseLink(kPort);
    }
}

}  // namespace
}  // namespace torv
