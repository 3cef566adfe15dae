// torvctl's dictionary transfers, run as a program against torvsim: a read of the sensor's dictionary
// written back unchanged, characters appended from the line and from a stored NG, and the questions
// (156 before a write, 152 before an append) with --yes, --no and no terminal.

#include <gtest/gtest.h>

#include "dictionary/dictionary_file.h"
#include "sim/sensor_model.h"
#include "tests/support/simulated_sensor.h"

namespace torv {
namespace {

using test::ReadFileBytes;

test::ProgramResult Torvctl(const std::vector<std::string>& arguments) {
    return test::RunProgram(TORVCTL_PATH, arguments);
}

class TorvctlDictTransfer : public ::testing::Test {
  protected:
    std::string path(const std::string& name) const { return m_files.file(name); }
    test::TempDir m_files;
};

// read, then write back: the sensor's words stay as they were; write asks 156 and, without a
// terminal or with --no, sends nothing.
TEST_F(TorvctlDictTransfer, ReadThenWriteBackKeepsTheSensorsDictionary) {
    test::SimulatedSensor sensor;
    const auto read = Torvctl({"--port", sensor.devicePath(), "dict", "read", path("user.dic4")});
    EXPECT_EQ(read.exitCode, 0) << read.err;
    EXPECT_EQ(read.out, "Reading expansion dictionary data from TORV is completed.\n");
    EXPECT_EQ(LoadDictionaryFile(path("user.dic4")).characters.size(), 3U);
    const std::size_t framesAfterRead = sensor.frames().size();
    for (const std::vector<std::string>& answer : {std::vector<std::string>{}, {"--no"}}) {
        std::vector<std::string> arguments{"--port", sensor.devicePath()};
        arguments.insert(arguments.end(), answer.begin(), answer.end());
        arguments.insert(arguments.end(), {"dict", "write", path("user")});
        const auto declined = Torvctl(arguments);
        EXPECT_EQ(declined.exitCode, 3);
        if (answer.empty()) {  // no terminal to ask: the declined question is named
            EXPECT_NE(declined.err.find("Overwrite to the expansion dictionary of TORV. Do you agree?"),
                      std::string::npos)
                << declined.err;
        }
    }
    EXPECT_EQ(sensor.frames().size(), framesAfterRead);
    const auto written = Torvctl({"--port", sensor.devicePath(), "--yes", "dict", "write", path("user")});
    EXPECT_EQ(written.exitCode, 0) << written.err;
    EXPECT_EQ(written.out, "Writing the expansion dictionary to TORV is completed.\n");
    EXPECT_EQ(sensor.frames().back(), "U 18 00");
    const test::SimState after = sensor.stopAndReadState();
    const sim::SensorModel seeded(1, sim::kDefaultRate, "0105");
    for (int word = kDictionaryFirstWord; word < DictionaryRecordWordAddress(3, 0); ++word) {
        EXPECT_EQ(after.word(word), seeded.state().words[static_cast<std::size_t>(word)]) << word;
    }
    EXPECT_EQ(after.word(kDictionaryLengthWord), 24);
}

// Appends from the line and from NG 1; a second append asks 152, which --no declines.
TEST_F(TorvctlDictTransfer, RecognizedAndNgCharactersAppendAndAskBeforeAppendingAgain) {
    test::SimulatedSensor sensor({"--recognized", "X12"});
    const auto recognized = Torvctl({"--port", sensor.devicePath(), "dict", "recognized", path("new")});
    EXPECT_EQ(recognized.exitCode, 0) << recognized.err;
    EXPECT_EQ(recognized.out, "Reading recognized characters from TORV is completed.\n");
    const std::string three = ReadFileBytes(path("new.dic4"));
    EXPECT_EQ(LoadDictionaryFile(path("new.dic4")).characters.size(), 3U);

    const auto declined = Torvctl({"--port", sensor.devicePath(), "--no", "dict", "from-ng", path("new")});
    EXPECT_EQ(declined.exitCode, 3);
    EXPECT_EQ(ReadFileBytes(path("new.dic4")), three);
    const auto fromNg =
        Torvctl({"--port", sensor.devicePath(), "--yes", "dict", "from-ng", path("new"), "--ng", "1"});
    EXPECT_EQ(fromNg.exitCode, 0) << fromNg.err;
    EXPECT_EQ(fromNg.out, "Reading characters in NG data is completed. (No. of character = 17 )\n");
    EXPECT_EQ(ReadFileBytes(path("new.dic4")).substr(0, three.size()), three);
    EXPECT_EQ(LoadDictionaryFile(path("new.dic4")).characters.size(), 20U);

    const auto outOfRange =
        Torvctl({"--port", sensor.devicePath(), "dict", "from-ng", path("new"), "--ng", "31"});
    EXPECT_EQ(outOfRange.exitCode, 2);
}

}  // namespace
}  // namespace torv
