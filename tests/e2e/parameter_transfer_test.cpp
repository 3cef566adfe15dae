// Reading and writing the sensor's parameters against torvsim: file bytes, words on the sensor,
// failures, cancel, and the rate change that follows a write.

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "files/text_file.h"
#include "operations/device_operations.h"
#include "params/parameter_file.h"
#include "resources/strings.h"
#include "tests/support/scripted_host.h"
#include "tests/support/simulated_sensor.h"

namespace torv {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

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

class ParameterTransfer : public ::testing::Test {
  protected:
    OperationReport run(int code, const std::string& name, const test::SimulatedSensor& sensor) {
        m_state.OperationCode = code;
        m_state.ComPortNumber = sensor.port();
        m_state.OperationFileName = name;
        return RunOperationOfState(m_state, m_host);
    }
    std::string path(const std::string& name) const { return m_files.file(name); }

    test::TempDir m_files;
    OperationState m_state;
    test::ScriptedHost m_host;
};

TEST_F(ParameterTransfer, ReadWritesTheWholeMemoryAsA607LineFile) {
    test::SimulatedSensor sensor;
    const OperationReport report = run(kReadParameters, path("bank"), sensor);
    EXPECT_EQ(report.outcome, OperationOutcome::kCompleted);
    EXPECT_EQ(report.text, "Reading from TORV is completed.");
    EXPECT_TRUE(report.offersEdit);
    const std::string file = ReadFileBytes(path("bank.torv"));
    EXPECT_EQ(file, ExpectedFile(sensor.stopAndReadState()));
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 607);
    EXPECT_EQ(m_host.progress.back(), kProgressMax);
    EXPECT_EQ(m_host.statuses,
              (std::vector<std::string>{"Reading Common parameters", "Reading Bank parameters"}));
}

// COMMUNIC 6 in the file moves the sensor, and then the tool, to 115200 after the store: the read
// back runs at the new rate.
TEST_F(ParameterTransfer, WriteThenReadBackGivesTheSameWordsExceptTheNgRing) {
    test::SimulatedSensor sensor;
    ASSERT_EQ(run(kReadParameters, path("before"), sensor).outcome, OperationOutcome::kCompleted);
    const ParameterSet before = LoadParameterFile(path("before.torv")).set;
    ParameterSet written = InitialParameterSet();
    written.common[4] = (written.common[4] & ~0x0700) | (6 << 8);
    written.common[9] = 111;  // the NG ring state is never sent back
    written.common[10] = 222;
    written.common[11] = 333;
    written.bank[15][35] = 4242;
    ASSERT_EQ(SaveParameterFile(path("new.torv"), written), SaveStatus::Saved);

    m_state.BaudIndex = 4;
    const OperationReport report = run(kWriteParameters, path("new"), sensor);
    EXPECT_EQ(report.text, "Writing to TORV is completed.");
    EXPECT_FALSE(report.offersEdit);
    EXPECT_EQ(m_state.BaudIndex, 5);
    ASSERT_EQ(run(kReadParameters, path("after"), sensor).outcome, OperationOutcome::kCompleted);
    const ParameterSet after = LoadParameterFile(path("after.torv")).set;
    for (int word = 0; word < 9; ++word) {
        EXPECT_EQ(after.common[static_cast<std::size_t>(word)],
                  written.common[static_cast<std::size_t>(word)])
            << word;
    }
    for (int word = 9; word < kCommonWordCount; ++word) {
        EXPECT_EQ(after.common[static_cast<std::size_t>(word)], before.common[static_cast<std::size_t>(word)])
            << word;
    }
    EXPECT_EQ(after.bank, written.bank);
    const auto frames = sensor.frames();
    const auto store =
        std::find_if(frames.begin(), frames.end(), [](const std::string& f) { return f[0] == 'U'; });
    ASSERT_NE(store, frames.end());
    EXPECT_EQ(*store, "U 92 10");  // the bytes of the last W's reply: 4242
    EXPECT_EQ(sensor.stopAndReadState().rate, 115200);
}

// The whole file is checked before the first frame: a file broken anywhere sends nothing at all.
TEST_F(ParameterTransfer, BrokenMissingOrOddFilesFailBeforeAnythingIsSent) {
    ASSERT_EQ(SaveParameterFile(path("full.torv"), InitialParameterSet()), SaveStatus::Saved);
    const std::string full = ReadFileBytes(path("full.torv"));
    const std::size_t bankThree = full.find("Bank parameter No.3");
    const std::size_t lastLine = full.rfind('\n', full.size() - 2) + 1;
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        // nullopt: no file at all
        {"missing", std::nullopt},
        {"empty", ""},
        {"bad header", "Software version\r\n0105\r\nBank parameter No.0\r\n"},
        {"short common block", "Common parameter\r\n1\r\n2\r\n"},
        {"over-long value line", "Common parameter\r\n1234567890\r\n"},
        {"cut inside bank 3", full.substr(0, full.find('\n', bankThree + 200))},
        {"last line missing", full.substr(0, lastLine)},
        {"bank line without B", full.substr(0, bankThree) + "X" + full.substr(bankThree + 1)},
        {"over-long line in bank 15", full.substr(0, lastLine) + "12345678901\r\n"},
    };
    test::SimulatedSensor sensor;
    for (const auto& [name, content] : cases) {
        if (content) {
            WriteFileBytes(path("broken.torv"), *content);
        }
        EXPECT_EQ(run(kWriteParameters, path("broken"), sensor).text,
                  content ? "The parameters file is invalid." : "The parameters file is not found.")
            << name;
        std::filesystem::remove(path("broken.torv"));
    }
    EXPECT_TRUE(sensor.frames().empty());
}

// A folder or a FIFO under the file's name fails at once with the operation's file message; nothing
// blocks on the FIFO and nothing is exchanged.
TEST_F(ParameterTransfer, FoldersAndFifosAreNoParameterFiles) {
    std::filesystem::create_directory(path("folder.torv"));
    ASSERT_EQ(mkfifo(path("fifo.torv").c_str(), 0600), 0);
    for (const char* name : {"folder", "fifo"}) {
        test::SimulatedSensor sensor;
        m_host.answers = {true, true};
        EXPECT_EQ(run(kReadParameters, path(name), sensor).text, "Failed to create the file.") << name;
        EXPECT_EQ(run(kWriteParameters, path(name), sensor).text, "The parameters file is not found.")
            << name;
        EXPECT_TRUE(m_host.questions.empty()) << name;
        EXPECT_TRUE(sensor.frames().empty()) << name;
    }
    EXPECT_TRUE(std::filesystem::is_directory(path("folder.torv")));
    EXPECT_TRUE(std::filesystem::is_fifo(path("fifo.torv")));
}

// Cancel pressed while the last bank's progress is shown still stops a write that would move the rate:
// no store command, so the sensor and the tool stay at their rate (the fault matrix cancels the other
// operations, a read among them, at the same point).
TEST_F(ParameterTransfer, CancelAfterTheLastBankSendsNoStoreAndKeepsTheRate) {
    ParameterSet fast = InitialParameterSet();
    fast.common[4] = (fast.common[4] & ~0x0700) | (6 << 8);
    ASSERT_EQ(SaveParameterFile(path("fast.torv"), fast), SaveStatus::Saved);
    test::SimulatedSensor sensor;
    m_host.cancelAtPump(m_state, kBankCount);
    m_state.BaudIndex = 4;
    EXPECT_EQ(run(kWriteParameters, path("fast"), sensor).text, "Aborted.");
    EXPECT_FALSE(m_state.AbortRequest);
    EXPECT_EQ(m_state.BaudIndex, 4);
    const auto frames = sensor.frames();
    EXPECT_EQ(frames.size(), 589U);
    EXPECT_EQ(std::count_if(frames.begin(), frames.end(), [](const std::string& f) { return f[0] == 'U'; }),
              0);
    EXPECT_EQ(sensor.stopAndReadState().rate, 57600);
}

}  // namespace
}  // namespace torv
