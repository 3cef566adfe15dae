// Reading and writing the sensor's parameters against torvsim: file bytes, words on the sensor,
// failures, cancel, and the rate change that follows a write.

#include <gtest/gtest.h>

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

TEST_F(ParameterTransfer, FileCutInsideBankThreeWritesBanksZeroToTwoAndNoStore) {
    test::SimulatedSensor sensor;
    ASSERT_EQ(SaveParameterFile(path("full.torv"), InitialParameterSet()), SaveStatus::Saved);
    const std::string full = ReadFileBytes(path("full.torv"));
    std::size_t cut = full.find("Bank parameter No.3");
    for (int line = 0; line < 11; ++line) {
        cut = full.find('\n', cut) + 1;
    }
    WriteFileBytes(path("cut.torv"), full.substr(0, cut));

    const OperationReport report = run(kWriteParameters, path("cut"), sensor);
    EXPECT_EQ(report.outcome, OperationOutcome::kFailed);
    EXPECT_EQ(report.text, "The parameters file is invalid.");
    const auto frames = sensor.frames();
    EXPECT_EQ(std::count(frames.begin(), frames.end(), "R 10 00"), 1);
    EXPECT_EQ(std::count_if(frames.begin(), frames.end(), [](const std::string& f) { return f[0] == 'W'; }),
              9 + 3 * 36);
    EXPECT_EQ(std::count_if(frames.begin(), frames.end(), [](const std::string& f) { return f[0] == 'U'; }),
              0);
}

TEST_F(ParameterTransfer, BrokenOrMissingFilesFailBeforeAnyWordIsWritten) {
    struct Case {
        const char* content;  // nullptr: no file at all
        const char* message;
        std::size_t frames;  // frames before the failure
    };
    const Case cases[] = {
        {nullptr, "The parameters file is not found.", 0},
        {"", "The parameters file is invalid.", 0},
        {"Software version\r\n0105\r\nBank parameter No.0\r\n", "The parameters file is invalid.", 0},
        {"Common parameter\r\n1\r\n2\r\n", "The parameters file is invalid.", 3},  // after S, S and R 0
        {"Common parameter\r\n1234567890\r\n", "The parameters file is invalid.", 3},
    };
    for (const Case& c : cases) {
        test::SimulatedSensor sensor;
        if (c.content != nullptr) {
            WriteFileBytes(path("broken.torv"), c.content);
        }
        EXPECT_EQ(run(kWriteParameters, path("broken"), sensor).text, c.message)
            << (c.content ? c.content : "none");
        EXPECT_EQ(sensor.frames().size(), c.frames);
        std::filesystem::remove(path("broken.torv"));
    }
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

TEST_F(ParameterTransfer, FailedReadKeepsTheExistingFileAndANewFileKeepsWhatWasRead) {
    WriteFileBytes(path("old.torv"), "what the user had\r\n");
    {
        test::SimulatedSensor sensor({"--fault", "50=silence"});
        m_host.answers = {true};  // overwrite? yes
        EXPECT_EQ(run(kReadParameters, path("old"), sensor).text, "No communication response.");
        EXPECT_EQ(m_host.questions, std::vector<std::string>{"Found same filename. Do you overwrite?"});
        EXPECT_EQ(ReadFileBytes(path("old.torv")), "what the user had\r\n");
    }
    test::SimulatedSensor sensor({"--fault", "50=silence"});
    run(kReadParameters, path("fresh"), sensor);
    const std::string partial = ReadFileBytes(path("fresh.torv"));
    EXPECT_EQ(std::count(partial.begin(), partial.end(), '\n'),
              3 + 12 + 1 + 35);  // exchange 50 is bank 0's last word
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

}  // namespace
}  // namespace torv
