// The rate switch after the parameter store, as the line sees it: the store frame is written, the
// output drained, and only then the new rate set, before the reply is read. A pseudo-terminal has no
// transmitter to drain, so the order is checked on a scripted line.

#include <gtest/gtest.h>

#include <algorithm>

#include "operations/device_operations.h"
#include "params/parameter_file.h"
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
              (std::vector<std::string>{"drain", "state 115200", "read 1", "read 3", "close"}));
    // Opening: the default settings, then the chosen rate, each after a drain, then the stale input
    // is dropped.
    EXPECT_EQ(std::vector<std::string>(line.calls.begin(), line.calls.begin() + 6),
              (std::vector<std::string>{"open 5", "drain", "state 9600", "drain", "state 57600", "purge"}));
}

}  // namespace
}  // namespace torv
