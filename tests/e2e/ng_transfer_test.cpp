// Operations 6 and 7 against torvsim: the exact exchanges, the files byte for byte (the sensor's
// blocks are known from its seed), slot arithmetic, occupancy, failures, questions and Cancel.

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "link/frames.h"
#include "ngdata/ng_image.h"
#include "ngdata/ng_record.h"
#include "ngdata/ng_slot_reader.h"
#include "ngdata/ng_text.h"
#include "operations/device_operations.h"
#include "sim/sensor_model.h"
#include "tests/support/scripted_host.h"
#include "tests/support/simulated_sensor.h"

namespace torv {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

constexpr std::uint32_t kAllSlots = 0x3FFFFFFF;
constexpr int kRingReads = 3;
constexpr int kSetupFramesPerWord = 2;  // `R` to place the write position, `W` to write

std::string Frame(char letter, int b1, int b2) {
    std::array<char, 16> text{};
    std::snprintf(text.data(), text.size(), "%c %02X %02X", letter, b1, b2);
    return text.data();
}

// The sensor's slots as its seed makes them, to compare the files with.
class KnownSensor {
  public:
    explicit KnownSensor(std::uint64_t seed) : m_model(seed, sim::kDefaultRate, "0105") {}

    std::vector<std::uint8_t> blocks(int slot, int first, int count) const {
        std::vector<std::uint8_t> bytes;
        for (int b = first; b < first + count; ++b) {
            const sim::SlotBlock block = m_model.ngRing().block(slot, b);
            bytes.insert(bytes.end(), block.begin(), block.end());
        }
        return bytes;
    }
    int characters(int slot) const {
        return static_cast<int>(m_model.ngRing().inspection(slot).characters.size());
    }

    std::string bitmap(int slot) const {
        NgImageLines lines{};
        const auto image = blocks(slot, 0, 2 * kImageLineCount);
        std::copy(image.begin(), image.end(), lines.begin());
        const auto bytes = NgBitmapBytes(lines);
        return {bytes.begin(), bytes.end()};
    }
    NgResultRecord record(int slot, bool occupied = true) const {
        ResultRecordBytes record{};
        if (occupied) {
            const auto bytes = blocks(slot, kFirstRecordBlock, kRecordBlockCount);
            std::copy(bytes.begin(), bytes.end(), record.begin());
        }
        return DecodeResultRecord(record);
    }
    NgPatternBlocks patterns(int slot, bool occupied = true) const {
        NgPatternBlocks patterns{};
        if (occupied) {
            const auto bytes = blocks(slot, kFirstPatternBlock, kPatternBlockCount);
            std::copy(bytes.begin(), bytes.end(), patterns.begin());
        }
        return patterns;
    }
    std::string dataFile(int slot) const { return NgDataFileText(record(slot), patterns(slot)); }

    // The first seed (from 1) with an occupied-able slot whose character count satisfies `wanted`.
    static std::pair<std::uint64_t, int> Find(const std::function<bool(int)>& wanted) {
        for (std::uint64_t seed = 1;; ++seed) {
            const KnownSensor sensor(seed);
            for (int slot = 0; slot < kNgSlotCount; ++slot) {
                if (wanted(sensor.characters(slot))) {
                    return {seed, slot};
                }
            }
        }
    }

  private:
    sim::SensorModel m_model;
};

class NgTransfer : public ::testing::Test {
  protected:
    // Sets sensor words through the protocol, as any tool could: `R` places the write position, `W`
    // writes there.
    void setWords(const test::SimulatedSensor& sensor, std::initializer_list<std::pair<int, int>> words) {
        ASSERT_EQ(OpenLink(sensor.port(), kDefaultBaudIndex), kLinkOpened);
        std::string error;
        for (const auto& [address, value] : words) {
            for (const auto& [command, word] :
                 {std::pair{kReadWordCommand, address}, {kWriteWordCommand, value}}) {
                std::array<std::uint8_t, 2> bytes{static_cast<std::uint8_t>(word & 0xFF),
                                                  static_cast<std::uint8_t>(word >> 8)};
                SendCommand(sensor.port(), command, bytes.data(), 2);
                ASSERT_EQ(ReceiveReply(sensor.port(), bytes.data(), 2, kReplyTimeoutMs, error), 1) << error;
            }
        }
        CloseLink(sensor.port());
        m_setupFrames = static_cast<int>(words.size()) * kSetupFramesPerWord;
    }
    void setRing(const test::SimulatedSensor& sensor, int pointer, std::uint32_t mask) {
        setWords(sensor,
                 {{9, pointer}, {10, static_cast<int>(mask & 0xFFFF)}, {11, static_cast<int>(mask >> 16)}});
    }
    OperationReport run(int code, const test::SimulatedSensor& sensor, int ngNumber = 1) {
        m_state.OperationCode = code;
        m_state.ComPortNumber = sensor.port();
        m_state.OperationFileName = path("ng");
        m_state.NgDataNumber = ngNumber;
        return RunOperationOfState(m_state, m_host);
    }
    // The frames the operation sent, without the setup.
    std::vector<std::string> operationFrames(const test::SimulatedSensor& sensor) const {
        const auto frames = sensor.frames();
        return {frames.begin() + m_setupFrames, frames.end()};
    }
    std::string path(const std::string& name) const { return m_files.file(name); }

    test::TempDir m_files;
    OperationState m_state;
    test::ScriptedHost m_host;
    int m_setupFrames = 0;
};

// The frames of a whole operation 6 on `slot` with `characters` characters.
std::vector<std::string> ReadFrames(int slot, int characters) {
    std::vector<std::string> frames = {"R 09 00", "R 0A 00", "R 0B 00"};
    for (int line = kImageLineCount - 1; line >= 0; --line) {
        frames.push_back(Frame('V', slot, 2 * line));
        frames.push_back(Frame('V', slot, 2 * line + 1));
    }
    for (int block = kFirstRecordBlock; block < kFirstRecordBlock + kRecordBlockCount; ++block) {
        frames.push_back(Frame('V', slot, block));
    }
    for (int b = 0; b * kPatternsPerBlock < characters; ++b) {
        frames.push_back(Frame('V', slot, kFirstPatternBlock + b));
    }
    return frames;
}

// A slot of 17 or more characters needs two pattern blocks; one without characters needs none.
TEST_F(NgTransfer, ReadTakesTheImageFromTheBottomLineUpThenRecordThenPatterns) {
    for (const auto& wanted : {std::function<bool(int)>([](int n) { return n > kPatternsPerBlock; }),
                               std::function<bool(int)>([](int n) { return n == 0; })}) {
        const auto [seed, slot] = KnownSensor::Find(wanted);
        const KnownSensor known(seed);
        test::SimulatedSensor sensor({"--seed", std::to_string(seed)});
        setRing(sensor, (slot + 1) % kNgSlotCount, kAllSlots);
        m_host.progress.clear();
        const OperationReport report = run(kReadNgData, sensor);
        EXPECT_EQ(report.text, "Reading the NG data with image from TORV is completed.");
        EXPECT_TRUE(report.offersEdit);
        EXPECT_EQ(operationFrames(sensor), ReadFrames(slot, known.characters(slot)));
        EXPECT_EQ(ReadFileBytes(path("ng.bmp")), known.bitmap(slot));
        EXPECT_EQ(ReadFileBytes(path("ng.ng4")), known.dataFile(slot));
        std::vector<int> progress = {0};  // the engine's start
        for (int i = 0; i < kImageLineCount; ++i) {
            progress.push_back(i * 512 / 126);
        }
        progress.insert(progress.end(), {499, 503, 507, 512});
        EXPECT_EQ(m_host.progress, progress);
        m_host.answers = {true};  // the next run replaces these files
    }
    EXPECT_EQ(m_host.statuses, (std::vector<std::string>{"Reading NG data", "Reading NG data"}));
}

// The NG data number counts back from the slot pointer; the first V names the slot. A NAK there ends
// the run at once.
TEST_F(NgTransfer, NgDataNumberCountsBackFromTheSlotPointer) {
    const struct {
        int pointer;
        int number;
        int slot;
    } cases[] = {{0, 1, 29}, {5, 30, 5}, {5, 0, 5}, {17, 3, 14}};
    for (const auto& c : cases) {
        test::SimulatedSensor sensor(
            {"--fault", std::to_string(3 * kSetupFramesPerWord + kRingReads + 1) + "=nak"});
        setRing(sensor, c.pointer, kAllSlots);
        EXPECT_EQ(run(kReadNgData, sensor, c.number).text, "Recieved an invalid communication response.");
        EXPECT_EQ(operationFrames(sensor).back(), Frame('V', c.slot, 2 * kImageLineCount - 2)) << c.pointer;
    }
}

TEST_F(NgTransfer, AnEmptySlotOrAPointerOutsideTheRingWritesNothing) {
    const struct {
        int pointer;
        std::uint32_t mask;
        int number;
        const char* text;
        const char* detail;
    } cases[] = {
        {10, kAllSlots & ~(1U << 9), 1, "The NG data you have selected no longer exists.",
         "NG data number 1 is slot 9 of the sensor's NG ring, which the sensor marks as empty."},
        {0, 1U << 29, 2, "The NG data you have selected no longer exists.",
         "NG data number 2 is slot 28 of the sensor's NG ring, which the sensor marks as empty."},
        {30, kAllSlots, 30, "Recieved an invalid communication response.",
         "The sensor reported slot pointer 30; its NG ring has the slots 0 to 29."},
        {0xC8, kAllSlots, 1, "Recieved an invalid communication response.",
         "The sensor reported slot pointer 200; its NG ring has the slots 0 to 29."},
    };
    for (const auto& c : cases) {
        test::SimulatedSensor sensor;
        setRing(sensor, c.pointer, c.mask);
        const OperationReport report = run(kReadNgData, sensor, c.number);
        EXPECT_EQ(report.text, c.text) << c.pointer;
        EXPECT_EQ(report.detail, c.detail) << c.pointer;
        EXPECT_EQ(operationFrames(sensor).size(), static_cast<std::size_t>(kRingReads));
    }
    test::SimulatedSensor sensor;
    setRing(sensor, 0xC8, kAllSlots);
    EXPECT_EQ(run(kConvertNgDataToCsv, sensor).text, "Recieved an invalid communication response.");
    EXPECT_TRUE(test::ListFolder(m_files.path()).empty());
}

// A folder under a file's name fails before any block is read, saying which name and why.
TEST_F(NgTransfer, AFolderUnderAFilesNameFailsBeforeTheTransfer) {
    for (const auto& [code, name] : {std::pair{kReadNgData, "ng.ng4"}, {kConvertNgDataToCsv, "ng.csv"}}) {
        std::filesystem::create_directory(path(name));
        test::SimulatedSensor sensor;
        m_host.answers = {true};
        const OperationReport report = run(code, sensor);
        EXPECT_EQ(report.text, "Failed to create the file.");
        EXPECT_NE(report.detail.find(path(name)), std::string::npos) << report.detail;
        EXPECT_EQ(sensor.frames().size(), static_cast<std::size_t>(kRingReads));
        EXPECT_EQ(test::ListFolder(m_files.path()), std::vector<std::string>{name});
        std::filesystem::remove(path(name));
    }
}

// One question covers the pair: Yes to the image replaces the data file too; the data file's own
// question comes only when there is no image. No ends the run before any block is read.
TEST_F(NgTransfer, OneOverwriteQuestionCoversTheImageAndItsDataFile) {
    const std::string question = "Found same filename. Do you overwrite?";
    const struct {
        bool image;
        bool data;
        std::size_t questions;
    } cases[] = {{true, true, 1}, {true, false, 1}, {false, true, 1}, {false, false, 0}};
    for (const auto& c : cases) {
        std::filesystem::remove(path("ng.bmp"));
        std::filesystem::remove(path("ng.ng4"));
        if (c.image) {
            WriteFileBytes(path("ng.bmp"), "old image");
        }
        if (c.data) {
            WriteFileBytes(path("ng.ng4"), "old data");
        }
        test::SimulatedSensor sensor;
        m_host.questions.clear();
        m_host.answers = {false};
        const OperationReport declined = run(kReadNgData, sensor);
        EXPECT_EQ(m_host.questions, std::vector<std::string>(c.questions, question));
        if (c.questions == 0) {
            continue;
        }
        EXPECT_EQ(declined.text, "Aborted.");
        EXPECT_EQ(sensor.frames().size(), static_cast<std::size_t>(kRingReads));
        EXPECT_EQ(std::filesystem::exists(path("ng.bmp")), c.image);
        m_host.answers = {true};
        EXPECT_EQ(run(kReadNgData, sensor).outcome, OperationOutcome::kCompleted);
        EXPECT_EQ(std::filesystem::file_size(path("ng.bmp")), 187446U);
        EXPECT_NE(ReadFileBytes(path("ng.ng4")), "old data");
    }
}

// A failure or Cancel anywhere leaves an existing pair exactly as it was and makes no new file.
TEST_F(NgTransfer, FailureOrCancelAnywhereLeavesTheFilesAsTheyWere) {
    const auto [seed, slot] = KnownSensor::Find([](int n) { return n > kPatternsPerBlock; });
    const int firstV = kRingReads + 1;
    const struct {
        const char* name;
        int faultAt;  // 0: no fault
        int cancelAtPump;
    } cases[] = {
        {"image", firstV + 100, 0},
        {"record", firstV + 244 + 1, 0},
        {"patterns", firstV + 244 + 3 + 1, 0},
        {"cancel in the image", 0, 50},
        {"cancel after the last record block", 0, 122 + 3},
    };
    for (bool existing : {true, false}) {
        for (const auto& c : cases) {
            std::filesystem::remove_all(m_files.path());
            std::filesystem::create_directory(m_files.path());
            if (existing) {
                WriteFileBytes(path("ng.bmp"), "old image");
                WriteFileBytes(path("ng.ng4"), "old data");
            }
            std::vector<std::string> arguments = {"--seed", std::to_string(seed)};
            if (c.faultAt > 0) {
                arguments.insert(
                    arguments.end(),
                    {"--fault", std::to_string(3 * kSetupFramesPerWord + c.faultAt) + "=checksum"});
            }
            test::SimulatedSensor sensor(arguments);
            setRing(sensor, (slot + 1) % kNgSlotCount, kAllSlots);
            int pumps = 0;
            m_host.onPump = [&] {
                if (++pumps == c.cancelAtPump) {
                    m_state.AbortRequest = true;
                }
            };
            m_host.answers = {true};
            const OperationReport report = run(kReadNgData, sensor);
            EXPECT_EQ(report.text, c.faultAt > 0 ? "Error in checking sum of communication." : "Aborted.")
                << c.name;
            const std::vector<std::string> left = test::ListFolder(m_files.path());
            if (existing) {
                EXPECT_EQ(left, (std::vector<std::string>{"ng.bmp", "ng.ng4"})) << c.name;
                EXPECT_EQ(ReadFileBytes(path("ng.bmp")), "old image") << c.name;
                EXPECT_EQ(ReadFileBytes(path("ng.ng4")), "old data") << c.name;
            } else {
                EXPECT_TRUE(left.empty()) << c.name;
            }
        }
    }
    m_host.onPump = nullptr;
}

TEST_F(NgTransfer, CsvTakesSixBlocksPerSlotNewestFirstAndCountsToTheHighestBit) {
    const KnownSensor known(1);
    test::SimulatedSensor sensor;
    // Only bit 29 is set, so all 30 slots are fetched; those not marked read as zeros.
    setRing(sensor, 3, 1U << 29);
    const OperationReport report = run(kConvertNgDataToCsv, sensor);
    EXPECT_EQ(report.text, "Reading all NG data from TORV is completed.");
    EXPECT_FALSE(report.offersEdit);
    std::vector<std::string> frames = {"R 09 00", "R 0A 00", "R 0B 00"};
    std::string csv;
    for (int r = 0; r < kNgSlotCount; ++r) {
        const int slot = (2 - r + kNgSlotCount) % kNgSlotCount;  // pointer 3: the newest is slot 2
        for (int block = kFirstPatternBlock; block < kFirstPatternBlock + 6; ++block) {
            frames.push_back(Frame('V', slot, block));
        }
        csv += NgCsvRecordText(r + 1, known.record(slot, slot == 29), known.patterns(slot, slot == 29));
    }
    EXPECT_EQ(operationFrames(sensor), frames);
    EXPECT_EQ(ReadFileBytes(path("ng.csv")), csv);
    ASSERT_EQ(m_host.progress.size(), 1U + 180 + 1);
    EXPECT_EQ(m_host.progress[1], 512 / 180);
    EXPECT_EQ(m_host.progress[180], 512);
}

TEST_F(NgTransfer, CsvFailsWithoutAnOccupiedSlotAndKeepsTheOldFileOnFailureOrCancel) {
    {
        test::SimulatedSensor sensor;
        setRing(sensor, 3, 0xC0000000);  // bits 30 and 31 mean nothing
        EXPECT_EQ(run(kConvertNgDataToCsv, sensor).text, "The NG data you have selected no longer exists.");
        EXPECT_EQ(operationFrames(sensor).size(), static_cast<std::size_t>(kRingReads));
        EXPECT_FALSE(std::filesystem::exists(path("ng.csv")));
    }
    WriteFileBytes(path("ng.csv"), "old csv");
    const struct {
        int faultAt;  // 0: no fault
        int cancelAtPump;
        const char* text;
    } cases[] = {
        {9, 0, "Recieved an invalid communication response."}, {0, 7, "Aborted."}, {0, 18, "Aborted."}};
    for (const auto& c : cases) {
        std::vector<std::string> arguments;
        if (c.faultAt > 0) {
            arguments = {"--fault",
                         std::to_string(3 * kSetupFramesPerWord + kRingReads + c.faultAt) + "=nak"};
        }
        test::SimulatedSensor sensor(arguments);
        setRing(sensor, 3, 0x7);  // three slots, 18 blocks
        int pumps = 0;
        m_host.onPump = [&] {
            if (++pumps == c.cancelAtPump) {
                m_state.AbortRequest = true;
            }
        };
        m_host.answers = {true};
        EXPECT_EQ(run(kConvertNgDataToCsv, sensor).text, c.text);
        EXPECT_EQ(ReadFileBytes(path("ng.csv")), "old csv");
        EXPECT_EQ(test::ListFolder(m_files.path()), std::vector<std::string>{"ng.csv"});
    }
    m_host.onPump = nullptr;
}

// With --ng-every the simulated line keeps storing NGs: the pointer moves on and the new slot is
// occupied, so the newest NG is a different slot a moment later.
TEST_F(NgTransfer, TheSimulatedLineStoresNewNgs) {
    test::SimulatedSensor sensor({"--ng-every", "0.1"});
    const auto readRing = [&](NgRingWords& ring) {
        ASSERT_EQ(OpenLink(sensor.port(), kDefaultBaudIndex), kLinkOpened);
        test::ScriptedHost host;
        OperationRun run(m_state, host);
        m_state.ComPortNumber = sensor.port();
        ASSERT_TRUE(ReadRingWords(run, ring));
        CloseLink(sensor.port());
    };
    NgRingWords before;
    readRing(before);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    NgRingWords after;
    readRing(after);
    const int stored = (SlotPointer(after) - SlotPointer(before) + kNgSlotCount) % kNgSlotCount;
    EXPECT_GE(stored, 1);
    EXPECT_TRUE(SlotOccupied(after, SlotOfNgDataNumber(after, 1)));
}

}  // namespace
}  // namespace torv
