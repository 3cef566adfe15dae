// The dictionary's reads and its write against torvsim: the exact exchanges, the file bytes (the sensor's
// characters are known from its seed), the questions answered both ways, a sensor failing and Cancel
// part-way, and the dictionary write that checks its whole file before the first frame.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <span>

#include "dictionary/dictionary_file.h"
#include "link/frames.h"
#include "sim/sensor_model.h"
#include "tests/e2e/known_sensor.h"
#include "tests/e2e/operation_test.h"

namespace torv {
namespace {

using test::FrameText;
using test::ReadFileBytes;
using test::WriteFileBytes;

constexpr int kSeededChars = 3;  // torvsim's expansion dictionary
// A block on disk: a code line of one character, seven rows of seven cells, each line ending CR LF.
constexpr std::size_t kCodeLineBytes = 3;
constexpr std::size_t kRowLineBytes = 9;
constexpr std::size_t kBlockBytes = kCodeLineBytes + kGridSize * kRowLineBytes;
const std::string kAppendQuestion =
    "Found same filename of an expansion dictionary file. Do you agree to append data?";
const std::string kOverwriteQuestion = "Found same filename. Do you overwrite?";
const std::string kUnassignedQuestion =
    "The character code of expansion dictionary is \"?\". Do you go ahead with writing?";

std::string WordFrame(char letter, int word) {
    return FrameText(letter, word & 0xFF, word >> 8);
}

std::vector<std::string> RecognizedFrames(int characters) {
    std::vector<std::string> frames{"S 06 00"};
    for (int selector = 0; selector < 8 * characters; ++selector) {
        frames.push_back(FrameText('S', selector, 1));
    }
    return frames;
}

// Characters with the codes given, each drawn as a different diagonal.
std::vector<DictionaryCharacter> Characters(const std::string& codes) {
    std::vector<DictionaryCharacter> characters;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        DictionaryCharacter c{static_cast<std::uint8_t>(codes[i]), {}};
        for (std::size_t r = 0; r < c.rows.size(); ++r) {
            c.rows[r] = static_cast<std::uint8_t>(ColumnBit(static_cast<int>((r + i) % kGridSize) + 1));
        }
        characters.push_back(c);
    }
    return characters;
}

class DictionaryTransfer : public test::OperationTest {
  protected:
    OperationReport run(int code, const test::SimulatedSensor& sensor) {
        return OperationTest::run(code, sensor, "dict");
    }
    std::string dictionaryBytes() const { return ReadFileBytes(path("dict.dic4")); }
};

// ---- The recognized characters ----

// The selector byte reaches 32 characters: of 40 reported, the first 32 are read (never a selector
// that wraps round to character 0 again), and the user is told.
TEST_F(DictionaryTransfer, RecognizedCharactersAreAppendedWithTheirExactExchanges) {
    for (const std::string text : {"A12B3", "0123456789ABCDEHKLPSTXZ0123456789ABCDEHK"}) {
        const int read = std::min(static_cast<int>(text.size()), 32);
        std::filesystem::remove(path("dict.dic4"));
        test::SimulatedSensor sensor({"--recognized", text});
        const OperationReport report = run(kReadRecognizedCharacters, sensor);
        EXPECT_EQ(report.text, "Reading recognized characters from TORV is completed.");
        EXPECT_TRUE(report.offersEdit);
        EXPECT_EQ(sensor.frames(), RecognizedFrames(read));
        EXPECT_EQ(dictionaryBytes(),
                  test::KnownSensor(1).recognizedBlocks(text, static_cast<std::size_t>(read)));
        EXPECT_EQ(m_host.statuses,
                  std::vector<std::string>{"Reading recognized characters (Number of character = " +
                                           std::to_string(text.size()) + " )"});
        EXPECT_EQ(m_state.AppendedCharCount, read);
        EXPECT_EQ(m_host.messages.size(), read < 32 ? 0U : 1U);
        if (read < 32) {
            EXPECT_EQ(m_host.progress, (std::vector<int>{0, 0, 102, 204, 307, 409, 512}));
        } else if (!m_host.messages.empty()) {
            EXPECT_NE(m_host.messages[0].find("first 32"), std::string::npos) << m_host.messages[0];
        }
    }
}

// Yes appends after the existing blocks (a file without its last line end gets one first: the appender's
// unit test; No, which reads no pattern and keeps the file, is in torvctl's table of questions).
TEST_F(DictionaryTransfer, AppendQuestionAnsweredYesAppends) {
    const std::string existing = CharacterBlock(Characters("K")[0]);
    WriteFileBytes(path("dict.dic4"), existing);
    test::SimulatedSensor sensor({"--recognized", "X7"});
    m_host.answers = {true};
    const OperationReport report = run(kReadRecognizedCharacters, sensor);
    EXPECT_EQ(m_host.questions, std::vector<std::string>{kAppendQuestion});
    EXPECT_EQ(report.text, "Reading recognized characters from TORV is completed.");
    EXPECT_TRUE(report.offersEdit);
    EXPECT_EQ(dictionaryBytes(), existing + test::KnownSensor(1).recognizedBlocks("X7"));
    EXPECT_EQ(sensor.frames(), RecognizedFrames(2));
    EXPECT_EQ(m_state.AppendedCharCount, 2);
}

// Nothing recognized: the status shows 0, then 151; no file (a folder under the file's name is in the NG
// transfers' table).
TEST_F(DictionaryTransfer, NothingRecognizedStopsBeforeThePatterns) {
    test::SimulatedSensor sensor({"--recognized", ""});
    EXPECT_EQ(run(kReadRecognizedCharacters, sensor).text, "No recognized character.");
    EXPECT_EQ(m_host.statuses,
              std::vector<std::string>{"Reading recognized characters (Number of character = 0 )"});
    EXPECT_EQ(sensor.frames(), std::vector<std::string>{"S 06 00"});
    EXPECT_TRUE(test::ListFolder(m_files.path()).empty());
}

// ---- The characters of a stored NG ----

// A slot of more than 16 characters reads two pattern blocks after the record; one of none stops
// with 151 and makes no file.
TEST_F(DictionaryTransfer, NgCharactersComeFromTheRecordCountAndItsPatternBlocks) {
    const test::KnownSensor ring(1);
    const int slot = ring.find([](int n) { return n > kPatternsPerBlock; });
    ASSERT_GE(slot, 0);
    test::SimulatedSensor sensor;
    setWords(sensor, test::RingWords((slot + 1) % kNgSlotCount));
    const OperationReport report = run(kReadNgCharacters, sensor);
    const int n = ring.characters(slot);
    EXPECT_EQ(report.text,
              "Reading characters in NG data is completed. (No. of character = " + std::to_string(n) + " )");
    EXPECT_TRUE(report.offersEdit);
    EXPECT_EQ(operationFrames(sensor),
              (std::vector<std::string>{"R 09 00", "R 0A 00", "R 0B 00", FrameText('V', slot, 249),
                                        FrameText('V', slot, 250), FrameText('V', slot, 251),
                                        FrameText('V', slot, 246), FrameText('V', slot, 247)}));
    EXPECT_EQ(dictionaryBytes(), ring.characterBlocks(slot));
    EXPECT_EQ(m_state.AppendedCharCount, n);
    EXPECT_EQ(m_host.progress, (std::vector<int>{0, 128, 256, 384, 512}));

    const int empty = ring.find([](int count) { return count == 0; });
    ASSERT_GE(empty, 0);
    std::filesystem::remove(path("dict.dic4"));
    test::SimulatedSensor second;
    setWords(second, test::RingWords((empty + 1) % kNgSlotCount));
    EXPECT_EQ(run(kReadNgCharacters, second).text, "No recognized character.");
    EXPECT_EQ(operationFrames(second).size(), 6U);
    EXPECT_TRUE(test::ListFolder(m_files.path()).empty());
}

// ---- Reading the sensor's expansion dictionary ----

std::vector<std::string> DictionaryReadFrames(int characters) {
    std::vector<std::string> frames{"R 0C 00"};
    for (int word = 0; word < kWordsPerRecord * characters; ++word) {
        frames.push_back(WordFrame('R', kDictionaryFirstWord + word));
    }
    return frames;
}

// torvsim's seeded dictionary, from its words.
std::vector<DictionaryCharacter> SeededDictionary() {
    const sim::SensorModel model(1, sim::kDefaultRate, "0105");
    std::vector<DictionaryCharacter> characters;
    for (int i = 0; i < kSeededChars; ++i) {
        DictionaryRecord record{};
        for (int k = 0; k < kWordsPerRecord; ++k) {
            const std::uint16_t word = model.state().words[DictionaryRecordWordAddress(i, k)];
            record[2 * k] = static_cast<std::uint8_t>(word & 0xFF);
            record[2 * k + 1] = static_cast<std::uint8_t>(word >> 8);
        }
        characters.push_back(CharacterOfRecord(record));
    }
    return characters;
}

// The seeded length reads 3 records (24 bytes), a length of 20 bytes two whole ones; a length of 0 asks
// 222: No makes no file, Yes an empty one. An existing file asks 135: Yes replaces it (No is in torvctl's
// table of questions).
TEST_F(DictionaryTransfer, DictionaryReadTakesTheLengthThenEveryRecordWordAndAsksBothWays) {
    const std::string empty = "There is no expansion dictionary data in TORV.";
    const struct {
        int length;  // -1: as seeded
        bool existing;
        std::vector<bool> answers;
        std::vector<std::string> questions;
        int reads;  // characters read; -1: stopped at the question
    } cases[] = {
        {-1, false, {}, {}, kSeededChars},
        {20, false, {}, {}, 2},
        {0, false, {false}, {empty}, -1},
        {0, false, {true}, {empty}, 0},
        {24, true, {true}, {kOverwriteQuestion}, 3},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(path("dict.dic4"));
        if (c.existing) {
            WriteFileBytes(path("dict.dic4"), "old");
        }
        test::SimulatedSensor sensor;
        setWords(sensor, c.length < 0 ? std::vector<std::pair<int, int>>{}
                                      : std::vector<std::pair<int, int>>{{kDictionaryLengthWord, c.length}});
        m_host.answers = {c.answers.begin(), c.answers.end()};
        const OperationReport report = run(kReadDictionary, sensor);
        EXPECT_EQ(m_host.questions, c.questions) << c.length;
        EXPECT_EQ(operationFrames(sensor), DictionaryReadFrames(std::max(c.reads, 0))) << c.length;
        if (c.reads < 0) {
            EXPECT_EQ(report.text, "Aborted.");
            EXPECT_FALSE(std::filesystem::exists(path("dict.dic4"))) << c.length;
            continue;
        }
        EXPECT_EQ(report.text, "Reading expansion dictionary data from TORV is completed.") << c.length;
        EXPECT_TRUE(report.offersEdit);
        EXPECT_EQ(m_host.statuses, std::vector<std::string>{"Reading expansion dictionary"});
        const std::vector<DictionaryCharacter> seeded = SeededDictionary();
        EXPECT_EQ(dictionaryBytes(),
                  DictionaryFileBytes(std::span(seeded).first(static_cast<std::size_t>(c.reads))))
            << c.length;
        if (c.length < 0) {
            EXPECT_EQ(m_host.progress, (std::vector<int>{0, 0, 170, 341, 512}));
        }
    }
}

// Codes without a plain form (0, the line end, a carriage return) go into the file so that it reads
// back block for block and writes the very same words back into the sensor.
TEST_F(DictionaryTransfer, CodesWithoutAPlainFormRoundTripThroughTheFile) {
    std::vector<DictionaryCharacter> characters = Characters("A\nB");
    characters[0].code = 0;
    characters.push_back(Characters("\r")[0]);
    std::vector<std::pair<int, int>> words{{kDictionaryLengthWord, 8 * 4}};
    for (std::size_t i = 0; i < characters.size(); ++i) {
        const DictionaryRecord record = RecordOf(characters[i]);
        for (int k = 0; k < kWordsPerRecord; ++k) {
            words.emplace_back(DictionaryRecordWordAddress(static_cast<int>(i), k), RecordWord(record, k));
        }
    }
    test::SimulatedSensor sensor;
    setWords(sensor, words);
    ASSERT_EQ(run(kReadDictionary, sensor).outcome, OperationOutcome::kCompleted);
    const LoadedDictionary loaded = LoadDictionaryFile(path("dict.dic4"));
    EXPECT_EQ(loaded.status, DictionaryStatus::kLoaded);
    EXPECT_EQ(loaded.characters, characters);

    setWords(sensor, {{kDictionaryLengthWord, 0}});  // the write puts the length back
    ASSERT_EQ(run(kWriteDictionary, sensor).outcome, OperationOutcome::kCompleted);
    const test::SimState state = sensor.stopAndReadState();
    for (const auto& [address, value] : words) {
        EXPECT_EQ(state.word(address), value) << address;
    }
}

// ---- Writing the expansion dictionary ----

std::vector<std::string> DictionaryWriteFrames(const std::vector<DictionaryCharacter>& characters) {
    std::vector<std::string> frames{"R A0 02"};
    for (const DictionaryCharacter& c : characters) {
        const DictionaryRecord record = RecordOf(c);
        for (int k = 0; k < kWordsPerRecord; ++k) {
            frames.push_back(WordFrame('W', RecordWord(record, k)));
        }
    }
    const int length = 8 * static_cast<int>(characters.size());
    frames.insert(frames.end(), {"R 0C 00", WordFrame('W', length), WordFrame('U', length)});
    return frames;
}

// 60 blocks: the first 56 are sent, the length is 448, and the last 4 blocks are never read (the 58th is
// broken and does not matter); an empty file writes length 0 and stores. A broken or missing file fails
// before the first frame, and several "?" codes ask 147 once before it: the sensor keeps its records and
// length and gets no store command.
TEST_F(DictionaryTransfer, DictionaryWriteChecksTheFileAndAsksBeforeTheFirstFrame) {
    std::string codes;
    for (int i = 0; i < 60; ++i) {
        codes.push_back(static_cast<char>('A' + i % 26));
    }
    const std::vector<DictionaryCharacter> all = Characters(codes);
    const std::vector<DictionaryCharacter> first56(all.begin(), all.begin() + kDictionaryMaxChars);
    const std::string bytes = DictionaryFileBytes(all);
    const std::size_t block58 = 57 * kBlockBytes;
    const std::string good = DictionaryFileBytes(Characters("ABCD"));
    const std::vector<DictionaryCharacter> unassigned = Characters("A?B?");
    const std::string completed = "Writing the expansion dictionary to TORV is completed.";
    const struct {
        const char* name;
        std::optional<std::string> file;
        bool yes;
        std::string text;
        std::string detail;
        std::optional<std::vector<DictionaryCharacter>> sent;  // nullopt: no frame at all
    } cases[] = {
        {"60 blocks", bytes.substr(0, block58) + "X\r\nbroken\r\n" + bytes.substr(block58 + kBlockBytes),
         false, completed, "", first56},
        {"empty", "", false, completed, "", std::vector<DictionaryCharacter>{}},
        {"third block truncated", good.substr(0, 2 * kBlockBytes + kCodeLineBytes + 5 * kRowLineBytes), false,
         "The expansion dictionary data file is invalid.",
         path("dict.dic4") + ": the block of character 3 (from line 17) is not a code line followed by seven "
                             "rows of seven cells, each \" \", \"-\", \"+\" or \"*\".",
         std::nullopt},
        {"missing", std::nullopt, false, "The expansion dictionary file is not found. Create a new data.",
         path("dict.dic4") + " does not exist.", std::nullopt},
        {"?, no", DictionaryFileBytes(unassigned), false, "Aborted.", "", std::nullopt},
        {"?, yes", DictionaryFileBytes(unassigned), true, completed, "", unassigned},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(path("dict.dic4"));
        if (c.file) {
            WriteFileBytes(path("dict.dic4"), *c.file);
        }
        test::SimulatedSensor sensor;
        m_host.answers = {c.yes};
        const OperationReport report = run(kWriteDictionary, sensor);
        EXPECT_EQ(report.text, c.text) << c.name;
        EXPECT_EQ(report.detail, c.detail) << c.name;
        EXPECT_FALSE(report.offersEdit);
        const bool asked = c.file && c.file->find("\r\n?\r\n") != std::string::npos;
        EXPECT_EQ(m_host.questions,
                  asked ? std::vector<std::string>{kUnassignedQuestion} : std::vector<std::string>{})
            << c.name;
        EXPECT_EQ(sensor.frames(), c.sent ? DictionaryWriteFrames(*c.sent) : std::vector<std::string>{})
            << c.name;
        if (c.sent) {
            EXPECT_EQ(m_host.statuses, std::vector<std::string>{"Writing Expansion dictionary"});
            EXPECT_EQ(m_host.progress.back(), 512);
        }
        const std::vector<DictionaryCharacter> held = c.sent ? *c.sent : SeededDictionary();
        const test::SimState state = sensor.stopAndReadState();
        EXPECT_EQ(state.word(kDictionaryLengthWord), 8 * static_cast<int>(held.size())) << c.name;
        for (std::size_t i = 0; i < held.size(); ++i) {
            EXPECT_EQ(state.word(DictionaryRecordWordAddress(static_cast<int>(i), 0)),
                      RecordWord(RecordOf(held[i]), 0))
                << c.name;
        }
    }
}

}  // namespace
}  // namespace torv
