// Reading and writing the sensor's parameters against torvsim: file bytes, words on the sensor,
// failures, cancel, and the rate change that follows a write.

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "params/parameter_file.h"
#include "tests/e2e/operation_test.h"

namespace torv {
namespace {

using test::ReadFileBytes;

// The file a complete read of this sensor memory must produce.
std::string ExpectedFile(const test::SimState& sensor) {
    std::string text = "Software version\r\n" + sensor.version + "\r\nCommon parameter\r\n";
    for (int word = 0; word < kCommonWordCount; ++word) {
        text += std::to_string(sensor.word(word)) + "\r\n";
    }
    for (int bank = 0; bank < kBankCount; ++bank) {
        text += "Bank parameter No." + std::to_string(bank) + "\r\n";
        for (int i = 0; i < kBankWordCount; ++i) {
            text += std::to_string(sensor.word(BankWordAddress(bank, i))) + "\r\n";
        }
    }
    return text;
}

using ParameterTransfer = test::OperationTest;

// COMMUNIC 6 in the file moves the sensor, and then the tool, to 115200 after the store: the read back
// runs at the new rate, gives the written words (the NG ring's are never sent) and the whole memory as a
// 607-line file.
TEST_F(ParameterTransfer, WriteThenReadBackGivesTheWrittenWordsAndTheWholeMemory) {
    test::SimulatedSensor sensor;
    ASSERT_EQ(run(kReadParameters, sensor, "before").outcome, OperationOutcome::kCompleted);
    const ParameterSet before = LoadParameterFile(path("before.torv")).set;
    ParameterSet written = InitialParameterSet();
    written.common[4] = (written.common[4] & ~0x0700) | (6 << 8);
    written.common[9] = 111;
    written.common[10] = 222;
    written.common[11] = 333;
    written.bank[15][35] = 4242;
    ASSERT_EQ(SaveParameterFile(path("new.torv"), written), SaveStatus::Saved);

    m_state.BaudIndex = 4;
    const OperationReport report = run(kWriteParameters, sensor, "new");
    EXPECT_EQ(report.text, "Writing to TORV is completed.");
    EXPECT_FALSE(report.offersEdit);
    EXPECT_EQ(m_state.BaudIndex, 5);
    const OperationReport read = run(kReadParameters, sensor, "after");
    EXPECT_EQ(read.text, "Reading from TORV is completed.");
    EXPECT_TRUE(read.offersEdit);
    EXPECT_EQ(m_host.statuses,
              (std::vector<std::string>{"Reading Common parameters", "Reading Bank parameters"}));
    EXPECT_EQ(m_host.progress.back(), kProgressMax);
    const ParameterSet after = LoadParameterFile(path("after.torv")).set;
    for (std::size_t word = 0; word < written.common.size(); ++word) {
        EXPECT_EQ(after.common[word], (word < 9 ? written : before).common[word]) << word;
    }
    EXPECT_EQ(after.bank, written.bank);
    const auto frames = sensor.frames();
    const auto store =
        std::find_if(frames.begin(), frames.end(), [](const std::string& f) { return f[0] == 'U'; });
    ASSERT_NE(store, frames.end());
    EXPECT_EQ(*store, "U 92 10");  // the bytes of the last W's reply: 4242
    const test::SimState state = sensor.stopAndReadState();
    EXPECT_EQ(state.rate, 115200);
    const std::string file = ReadFileBytes(path("after.torv"));
    EXPECT_EQ(file, ExpectedFile(state));
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 607);
}

// A folder or a FIFO under the file's name fails at once with the operation's file message; nothing
// blocks on the FIFO and nothing is exchanged.
TEST_F(ParameterTransfer, FoldersAndFifosAreNoParameterFiles) {
    std::filesystem::create_directory(path("folder.torv"));
    ASSERT_EQ(mkfifo(path("fifo.torv").c_str(), 0600), 0);
    for (const char* name : {"folder", "fifo"}) {
        test::SimulatedSensor sensor;
        m_host.answers = {true, true};
        EXPECT_EQ(run(kReadParameters, sensor, name).text, "Failed to create the file.") << name;
        EXPECT_TRUE(m_host.questions.empty()) << name;
        EXPECT_EQ(run(kWriteParameters, sensor, name).text, "The parameters file is not found.") << name;
        EXPECT_TRUE(m_host.questions.empty()) << name;
        EXPECT_TRUE(sensor.frames().empty()) << name;
    }
    EXPECT_TRUE(std::filesystem::is_directory(path("folder.torv")));
    EXPECT_TRUE(std::filesystem::is_fifo(path("fifo.torv")));
}

// Cancel pressed while the last bank's progress is shown stops a write that would move the rate before
// its store command, so the sensor and the tool stay at their rate (the fault matrix counts the frames
// of a write cancelled there).
TEST_F(ParameterTransfer, CancelAfterTheLastBankSendsNoStoreAndKeepsTheRate) {
    ParameterSet fast = InitialParameterSet();
    fast.common[4] = (fast.common[4] & ~0x0700) | (6 << 8);
    ASSERT_EQ(SaveParameterFile(path("fast.torv"), fast), SaveStatus::Saved);
    test::SimulatedSensor sensor;
    m_host.cancelAtPump(m_state, kBankCount);
    m_state.BaudIndex = 4;
    EXPECT_EQ(run(kWriteParameters, sensor, "fast").text, "Aborted.");
    EXPECT_FALSE(m_state.AbortRequest);
    EXPECT_EQ(m_state.BaudIndex, 4);
    EXPECT_EQ(sensor.stopAndReadState().rate, 57600);
}

}  // namespace
}  // namespace torv
