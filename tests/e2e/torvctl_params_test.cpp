// torvctl's parameter commands, run as a program: the file commands that go through the catalogue, and
// the write's backup and verification around a plain write.

#include <gtest/gtest.h>

#include <filesystem>

#include "params/parameter_file.h"
#include "tests/support/simulated_sensor.h"

namespace torv {
namespace {

using test::ReadFileBytes;

using test::RunTorvctl;

class TorvctlParams : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(SaveParameterFile(m_base + ".torv", InitialParameterSet()), SaveStatus::Saved);
    }
    test::TempDir m_files;
    const std::string m_base = m_files.file("base");
};

TEST_F(TorvctlParams, SetChangesOneParameterAsTheEditorWould) {
    const auto result =
        RunTorvctl({"params", "set", m_base, "--bank", "3", "shutter=90", "orienttn=revs", "Wide=FAST"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    // One value alone on its line, as `$(...)` takes it.
    const std::pair<std::vector<std::string>, std::string> values[] = {
        {{"SHUTTER", "--bank", "3"}, "90\n"},
        {{"shutter", "--bank", "2"}, "70\n"},
        {{"WIDE"}, "FAST\n"},
    };
    for (const auto& [words, printed] : values) {
        std::vector<std::string> arguments{"params", "get", m_base};
        arguments.insert(arguments.end(), words.begin(), words.end());
        const auto get = RunTorvctl(arguments);
        EXPECT_EQ(get.exitCode, 0) << get.err;
        EXPECT_EQ(get.out, printed) << words[0];
    }
    const auto show = RunTorvctl({"params", "show", m_base, "--bank", "3"});
    EXPECT_NE(show.out.find("SHUTTER = 90\n"), std::string::npos);
    EXPECT_NE(show.out.find("ORIENTTN = REVS\n"), std::string::npos);
    EXPECT_NE(show.out.find("WIDE = FAST\n"), std::string::npos);
    EXPECT_EQ(show.out.find("[Bank 2]"), std::string::npos);

    ASSERT_EQ(SaveParameterFile(m_files.file("other.torv"), InitialParameterSet()), SaveStatus::Saved);
    const auto diff = RunTorvctl({"params", "diff", m_base, m_files.file("other")});
    EXPECT_EQ(diff.exitCode, 6);
    EXPECT_EQ(diff.out,
              "--- " + m_base + ".torv\n+++ " + m_files.file("other.torv") +
                  "\nCommon: WIDE: FAST | OFF\nBank 3: ORIENTTN: REVS | NORM\nBank 3: SHUTTER: 90 | 70\n");
    const auto same = RunTorvctl({"params", "diff", m_base, m_base});
    EXPECT_EQ(same.exitCode, 0);
    EXPECT_EQ(same.out, "");
    EXPECT_EQ(RunTorvctl({"params", "diff", m_base, m_files.file("missing")}).exitCode, 5);
}

TEST_F(TorvctlParams, RefusedAssignmentsChangeNothing) {
    const std::string before = ReadFileBytes(m_base + ".torv");
    const std::pair<std::vector<std::string>, const char*> refused[] = {
        {{"NOSUCHKEY=1"}, "NOSUCHKEY"},
        {{"SHUTTR=1"}, "did you mean SHUTTER?"},
        {{"--bank", "1", "ORIENTTN=UPSIDE"}, "UPSIDE"},
        {{"--bank", "1", "SHUTTER=fast"}, "fast"},
        {{"SHUTTER=90"}, "--bank"},  // a bank parameter without --bank
        {{"--bank", "1", "shutter"}, "SHUTTER needs a value: give SHUTTER=VALUE"},
        {{"--bank", "1", "SHUTTER=90", "SURFACE=GREY"}, "GREY"},
    };
    for (const auto& [assignments, said] : refused) {
        std::vector<std::string> arguments{"params", "set", m_base};
        arguments.insert(arguments.end(), assignments.begin(), assignments.end());
        const auto result = RunTorvctl(arguments);
        EXPECT_EQ(result.exitCode, 2) << assignments.back();
        EXPECT_NE(result.err.find(said), std::string::npos) << result.err;
        EXPECT_EQ(ReadFileBytes(m_base + ".torv"), before) << assignments.back();
    }
}

// A file may hold anything: no control byte from it reaches the terminal, and a list value the list
// does not have shows as its number. The diff also names every word that differs where no value shows
// it; --values leaves those out.
TEST_F(TorvctlParams, ShowAndDiffEscapeStringsAndShowUnlistedValuesAsNumbers) {
    ParameterSet set = InitialParameterSet();
    constexpr int kStringWord = 24;  // STRING, two characters a word, the first in the low byte
    set.bank[0][kStringWord] = 0x1B | ('[' << 8);
    set.bank[0][kStringWord + 1] = '\\' | (0xE9 << 8);
    set.bank[0][kStringWord + 2] = 0;
    set.common[6] |= 7 << 13;            // SYNCPULS: five entries in a three-bit field
    set.common[0] |= 1 << 5;             // a bit no parameter names
    set.bank[1][kStringWord + 5] = 'x';  // after the end of bank 1's empty STRING
    ASSERT_EQ(SaveParameterFile(m_files.file("odd.torv"), set), SaveStatus::Saved);
    const auto show = RunTorvctl({"params", "show", m_files.file("odd"), "--bank", "0"});
    EXPECT_EQ(show.exitCode, 0);
    EXPECT_NE(show.out.find("STRING = \\x1b[\\\\\\xe9\n"), std::string::npos) << show.out;
    EXPECT_NE(show.out.find("SYNCPULS = (7)\n"), std::string::npos);
    const auto diff = RunTorvctl({"params", "diff", m_base, m_files.file("odd")});
    EXPECT_EQ(diff.exitCode, 6);
    const std::string header = "--- " + m_base + ".torv\n+++ " + m_files.file("odd.torv") + "\n";
    const std::string syncPulse = "Common: SYNCPULS: OFF | (7)\n";
    const std::string text = "Bank 0: STRING:  | \\x1b[\\\\\\xe9\n";
    EXPECT_EQ(diff.out,
              header + syncPulse + "Common: word 0: 2065 -> 2097\n" + text + "Bank 1: word 29: 0 -> 120\n");
    EXPECT_EQ(RunTorvctl({"params", "diff", m_base, m_files.file("odd"), "--values"}).out,
              header + syncPulse + text);

    set = InitialParameterSet();
    set.common[7] = 13;  // a word no parameter names, and nothing else
    ASSERT_EQ(SaveParameterFile(m_files.file("word7.torv"), set), SaveStatus::Saved);
    const auto word = RunTorvctl({"params", "diff", m_base, m_files.file("word7")});
    EXPECT_EQ(word.exitCode, 6);
    EXPECT_EQ(word.out,
              "--- " + m_base + ".torv\n+++ " + m_files.file("word7.torv") + "\nCommon: word 7: 0 -> 13\n");
    EXPECT_EQ(RunTorvctl({"params", "diff", m_base, m_files.file("word7"), "--values"}).exitCode, 0);
}

TEST_F(TorvctlParams, SheetIsWrittenUnderItsOwnName) {
    const auto result = RunTorvctl({"params", "sheet", m_base, "--out", m_files.file("sheet.csv")});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "Writing CSV file is completed.\n");
    const std::string sheet = ReadFileBytes(m_files.file("sheet.csv"));
    EXPECT_EQ(std::count(sheet.begin(), sheet.end(), '\n'), 58);
    EXPECT_EQ(RunTorvctl({"params", "sheet", m_base, "--out", m_files.file("sheet")}).exitCode,
              3);  // exists: declined
}

// The backup is a read before the write and the verification a read after it: the write's own frames
// are those of a plain write.
TEST_F(TorvctlParams, WriteWithBackupAndVerifyReadsAroundAPlainWrite) {
    test::SimulatedSensor plain;
    ASSERT_EQ(RunTorvctl({"--yes", "--port", plain.devicePath(), "params", "write", m_base}).exitCode, 0);
    const std::vector<std::string> plainWrite = plain.frames();
    test::SimulatedSensor fresh;
    ASSERT_EQ(RunTorvctl({"--port", fresh.devicePath(), "params", "read", m_files.file("before")}).exitCode,
              0);

    test::SimulatedSensor sensor;
    const std::string backup = m_files.file("backup");
    const auto result = RunTorvctl(
        {"--yes", "--port", sensor.devicePath(), "params", "write", m_base, "--backup", backup, "--verify"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out,
              "Reading from TORV is completed.\nWriting to TORV is completed.\nVerified: the sensor "
              "holds every word of " +
                  m_base + ".torv that a write sends.\n");
    EXPECT_EQ(ReadFileBytes(backup + ".torv"), ReadFileBytes(m_files.file("before.torv")));
    constexpr std::size_t kReadFrames = 2 + 12 + 16 * 36;
    constexpr std::size_t kVerifyFrames = 9 + 16 * 36;
    const std::vector<std::string> frames = sensor.frames();
    ASSERT_EQ(frames.size(), kReadFrames + plainWrite.size() + kVerifyFrames);
    EXPECT_EQ(std::vector<std::string>(frames.begin() + kReadFrames, frames.end() - kVerifyFrames),
              plainWrite);
}

TEST_F(TorvctlParams, VerifyNamesTheWordsTheSensorHoldsOtherwise) {
    constexpr int kBank = 3;
    constexpr int kIndex = 6;
    const int address = BankWordAddress(kBank, kIndex);
    const int inFile = InitialParameterSet().bank[kBank][kIndex];
    const int corrected = inFile + 1;
    test::SimulatedSensor sensor(
        {"--after-store", std::to_string(address) + "=" + std::to_string(corrected)});
    const auto result =
        RunTorvctl({"--yes", "--port", sensor.devicePath(), "params", "write", m_base, "--verify"});
    EXPECT_EQ(result.exitCode, 6);
    EXPECT_EQ(result.out, "Writing to TORV is completed.\n");
    EXPECT_EQ(result.err.rfind("The sensor holds 1 word other than the file:\nBank 3 word 6 (sensor word " +
                                   std::to_string(address),
                               0),
              0u)
        << result.err;
    EXPECT_NE(
        result.err.find("): file " + std::to_string(inFile) + ", sensor " + std::to_string(corrected) + "\n"),
        std::string::npos)
        << result.err;
}

// Nothing reaches the sensor without its backup; a write that stops after its first W says the sensor
// holds an unstored set and how to restore it.
TEST_F(TorvctlParams, FailedBackupWritesNothingAndAStoppedWriteSaysHowToRestore) {
    const std::string backup = m_files.file("backup");
    test::SimulatedSensor silentOnBackup({"--fault", "5=silence"});
    const auto refused = RunTorvctl(
        {"--yes", "--port", silentOnBackup.devicePath(), "params", "write", m_base, "--backup", backup});
    EXPECT_EQ(refused.exitCode, 1);
    const std::string noBackup = "torvctl: no backup was made, so nothing was written to the sensor.\n";
    EXPECT_EQ(refused.err.rfind("No communication response.\n", 0), 0u) << refused.err;
    EXPECT_EQ(refused.err.substr(refused.err.size() - std::min(refused.err.size(), noBackup.size())),
              noBackup);
    EXPECT_EQ(silentOnBackup.frames().size(), 5u);
    EXPECT_FALSE(std::filesystem::exists(backup + ".torv"));

    const std::string notice =
        "torvctl: the sensor now holds a partly written parameter set that it has not stored (no store "
        "command was sent).\nTo restore it, write a complete parameter file: torvctl -p ";
    // The backup read takes exchanges 1 to 590: 592 asks the version again, before any W; 600 is a W.
    for (const auto& [fault, unstored] : {std::pair{"592=silence", false}, {"600=nak", true}}) {
        test::SimulatedSensor sensor({"--fault", fault});
        const auto result = RunTorvctl(
            {"--yes", "--port", sensor.devicePath(), "params", "write", m_base, "--backup", backup});
        EXPECT_EQ(result.exitCode, 1) << fault;
        EXPECT_EQ(result.err.find(notice + sensor.devicePath() + " params write " + backup + ".torv\n") !=
                      std::string::npos,
                  unstored)
            << fault << ": " << result.err;
    }
    EXPECT_EQ(RunTorvctl({"--yes", "params", "write", m_base, "--backup", m_base + ".torv"}).exitCode, 2);
}

}  // namespace
}  // namespace torv
