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

TEST_F(ParameterTransfer, WriteThenReadBackGivesTheSameWordsExceptTheNgRing) {
    test::SimulatedSensor sensor;
    ASSERT_EQ(run(kReadParameters, path("before"), sensor).outcome, OperationOutcome::kCompleted);
    const ParameterSet before = LoadParameterFile(path("before.torv")).set;
    ParameterSet written = InitialParameterSet();
    written.common[9] = 111;  // the NG ring state is never sent back
    written.common[10] = 222;
    written.common[11] = 333;
    written.bank[15][35] = 4242;
    ASSERT_EQ(SaveParameterFile(path("new.torv"), written), SaveStatus::Saved);

    const OperationReport report = run(kWriteParameters, path("new"), sensor);
    EXPECT_EQ(report.text, "Writing to TORV is completed.");
    EXPECT_FALSE(report.offersEdit);
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
}

// The whole file is checked before the first frame: a file broken anywhere sends nothing at all.
TEST_F(ParameterTransfer, BrokenMissingOrOddFilesFailBeforeAnythingIsSent) {
    ASSERT_EQ(SaveParameterFile(path("full.torv"), InitialParameterSet()), SaveStatus::Saved);
    const std::string full = ReadFileBytes(path("full.torv"));
    const std::size_t bankThree = full.find("Bank parameter No.3");
    const std::size_t lastLine = full.rfind('\n', full.size() - 2) + 1;
    struct Case {
        std::string name;
        std::optional<std::string> content;  // nullopt: no file at all
        const char* message;
    };
    const std::vector<Case> cases = {
        {"missing", std::nullopt, "The parameters file is not found."},
        {"empty", "", "The parameters file is invalid."},
        {"bad header", "Software version\r\n0105\r\nBank parameter No.0\r\n",
         "The parameters file is invalid."},
        {"short common block", "Common parameter\r\n1\r\n2\r\n", "The parameters file is invalid."},
        {"over-long value line", "Common parameter\r\n1234567890\r\n", "The parameters file is invalid."},
        {"cut inside bank 3", full.substr(0, full.find('\n', bankThree + 200)),
         "The parameters file is invalid."},
        {"last line missing", full.substr(0, lastLine), "The parameters file is invalid."},
        {"bank line without B", full.substr(0, bankThree) + "X" + full.substr(bankThree + 1),
         "The parameters file is invalid."},
        {"over-long line in bank 15", full.substr(0, lastLine) + "12345678901\r\n",
         "The parameters file is invalid."},
    };
    for (const Case& c : cases) {
        test::SimulatedSensor sensor;
        if (c.content) {
            WriteFileBytes(path("broken.torv"), *c.content);
        }
        EXPECT_EQ(run(kWriteParameters, path("broken"), sensor).text, c.message) << c.name;
        EXPECT_TRUE(sensor.frames().empty()) << c.name;
        std::filesystem::remove(path("broken.torv"));
    }
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

TEST_F(ParameterTransfer, CommunicSixMovesTheLinkTo115200) {
    test::SimulatedSensor sensor;
    ParameterSet set = InitialParameterSet();
    set.common[4] = (set.common[4] & ~0x0700) | (6 << 8);
    ASSERT_EQ(SaveParameterFile(path("fast.torv"), set), SaveStatus::Saved);
    m_state.BaudIndex = 4;
    EXPECT_EQ(run(kWriteParameters, path("fast"), sensor).outcome, OperationOutcome::kCompleted);
    EXPECT_EQ(m_state.BaudIndex, 5);
    EXPECT_EQ(sensor.stopAndReadState().rate, 115200);
}

TEST_F(ParameterTransfer, FailedReadKeepsTheExistingFileAndMakesNoNewOne) {
    WriteFileBytes(path("old.torv"), "what the user had\r\n");
    {
        test::SimulatedSensor sensor({"--fault", "50=silence"});
        m_host.answers = {true};  // overwrite? yes
        EXPECT_EQ(run(kReadParameters, path("old"), sensor).text, "No communication response.");
        EXPECT_EQ(m_host.questions, std::vector<std::string>{"Found same filename. Do you overwrite?"});
        EXPECT_EQ(ReadFileBytes(path("old.torv")), "what the user had\r\n");
    }
    for (const char* fault : {"1=silence", "2=nak", "50=silence"}) {
        test::SimulatedSensor sensor({"--fault", fault});
        EXPECT_EQ(run(kReadParameters, path("fresh"), sensor).outcome, OperationOutcome::kFailed) << fault;
        EXPECT_FALSE(std::filesystem::exists(path("fresh.torv"))) << fault;
    }
    EXPECT_EQ(test::ListFolder(m_files.path()), std::vector<std::string>{"old.torv"});  // no temporary left
}

TEST_F(ParameterTransfer, DecliningTheOverwriteOrCancellingAborts) {
    WriteFileBytes(path("old.torv"), "kept\r\n");
    test::SimulatedSensor sensor;
    const OperationReport declined = run(kReadParameters, path("old"), sensor);
    EXPECT_EQ(declined.outcome, OperationOutcome::kAborted);
    EXPECT_EQ(declined.text, "Aborted.");
    EXPECT_TRUE(sensor.frames().empty());

    m_host.answers = {true};
    m_host.onPump = [this] { m_state.AbortRequest = true; };  // Cancel pressed during bank 0
    const OperationReport cancelled = run(kReadParameters, path("old"), sensor);
    EXPECT_EQ(cancelled.outcome, OperationOutcome::kAborted);
    EXPECT_FALSE(m_state.AbortRequest);
    EXPECT_EQ(sensor.frames().size(), 2u + 12 + 2 * 36);  // stopped after the bank that was running
    EXPECT_EQ(ReadFileBytes(path("old.torv")), "kept\r\n");
}

// Cancel pressed while the last bank's progress is shown still stops the operation: the read keeps
// the old file, the write sends no store command (and so leaves the sensor's rate alone).
TEST_F(ParameterTransfer, CancelAfterTheLastBankStillAborts) {
    WriteFileBytes(path("old.torv"), "kept\r\n");
    ParameterSet fast = InitialParameterSet();
    fast.common[4] = (fast.common[4] & ~0x0700) | (6 << 8);
    ASSERT_EQ(SaveParameterFile(path("fast.torv"), fast), SaveStatus::Saved);
    int pumps = 0;
    m_host.onPump = [this, &pumps] {
        if (++pumps == kBankCount) {
            m_state.AbortRequest = true;
        }
    };
    test::SimulatedSensor sensor;
    m_host.answers = {true};
    EXPECT_EQ(run(kReadParameters, path("old"), sensor).text, "Aborted.");
    EXPECT_EQ(ReadFileBytes(path("old.torv")), "kept\r\n");
    pumps = 0;
    m_state.BaudIndex = 4;
    EXPECT_EQ(run(kWriteParameters, path("fast"), sensor).text, "Aborted.");
    EXPECT_EQ(m_state.BaudIndex, 4);
    const auto frames = sensor.frames();
    EXPECT_EQ(std::count_if(frames.begin(), frames.end(), [](const std::string& f) { return f[0] == 'U'; }),
              0);
    EXPECT_EQ(sensor.stopAndReadState().rate, 57600);
}

}  // namespace
}  // namespace torv
