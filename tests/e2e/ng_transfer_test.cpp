// Reading an NG with its image, and all NGs into a CSV, against torvsim: the exact exchanges, the files
// byte for byte (the sensor's blocks are known from its seed), slot arithmetic, occupancy, failures and
// questions.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <tuple>

#include "link/frames.h"
#include "ngdata/ng_text.h"
#include "tests/e2e/known_sensor.h"
#include "tests/e2e/operation_test.h"
#include "tests/support/small_file_system.h"

namespace torv {
namespace {

using test::FrameText;
using test::ReadFileBytes;
using test::WriteFileBytes;

constexpr int kRingReads = 3;
constexpr int kSetupFramesPerWord = 2;  // `R` to place the write position, `W` to write

using NgTransfer = test::OperationTest;

// The frames of a whole NG read on `slot` with `characters` characters.
std::vector<std::string> ReadFrames(int slot, int characters) {
    std::vector<std::string> frames = {"R 09 00", "R 0A 00", "R 0B 00"};
    for (int line = kImageLineCount - 1; line >= 0; --line) {
        frames.push_back(FrameText('V', slot, 2 * line));
        frames.push_back(FrameText('V', slot, 2 * line + 1));
    }
    for (int block = kFirstRecordBlock; block < kFirstRecordBlock + kRecordBlockCount; ++block) {
        frames.push_back(FrameText('V', slot, block));
    }
    for (int b = 0; b * kPatternsPerBlock < characters; ++b) {
        frames.push_back(FrameText('V', slot, kFirstPatternBlock + b));
    }
    return frames;
}

// A slot of 17 or more characters needs two pattern blocks; one without characters needs none.
TEST_F(NgTransfer, ReadTakesTheImageFromTheBottomLineUpThenRecordThenPatterns) {
    for (const auto& wanted : {std::function<bool(int)>([](int n) { return n > kPatternsPerBlock; }),
                               std::function<bool(int)>([](int n) { return n == 0; })}) {
        const auto [seed, slot] = test::KnownSensor::Find(wanted);
        const test::KnownSensor known(seed);
        test::SimulatedSensor sensor({"--seed", std::to_string(seed)});
        setWords(sensor, test::RingWords((slot + 1) % kNgSlotCount, test::kAllSlots));
        const OperationReport report = run(kReadNgData, sensor, "ng");
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
        EXPECT_EQ(m_host.statuses, std::vector<std::string>{"Reading NG data"});
        m_host.answers = {true};  // the next run replaces these files
    }
}

// The NG data number counts back from the slot pointer, and the first V names the slot (a NAK there ends
// the run at once). An empty slot or a pointer outside the ring ends the run after the ring words, for
// the CSV too, where bits 30 and 31 of the mask mean nothing; no file is made.
TEST_F(NgTransfer, NgDataNumberCountsBackFromTheSlotPointer) {
    const std::string invalid = "Recieved an invalid communication response.";
    const std::string gone = "The NG data you have selected no longer exists.";
    const std::string pointer30 = "The sensor reported slot pointer 30; its NG ring has the slots 0 to 29.";
    const std::string empty = " of the sensor's NG ring, which the sensor marks as empty.";
    const struct {
        int code, pointer;
        std::uint32_t mask;
        int number;
        int slot;  // -1: none is read
        std::string text, detail;
    } cases[] = {
        {kReadNgData, 0, test::kAllSlots, 1, 29, invalid, ""},
        {kReadNgData, 5, test::kAllSlots, 30, 5, invalid, ""},
        {kReadNgData, 5, test::kAllSlots, 0, 5, invalid, ""},
        {kReadNgData, 17, test::kAllSlots, 3, 14, invalid, ""},
        {kReadNgData, 10, test::kAllSlots & ~(1U << 9), 1, -1, gone, "NG data number 1 is slot 9" + empty},
        {kReadNgData, 0, 1U << 29, 2, -1, gone, "NG data number 2 is slot 28" + empty},
        {kReadNgData, 30, test::kAllSlots, 30, -1, invalid, pointer30},
        {kConvertNgDataToCsv, 30, test::kAllSlots, 1, -1, invalid, pointer30},
        {kConvertNgDataToCsv, 3, 0xC0000000, 1, -1, gone, ""},
    };
    for (const auto& c : cases) {
        test::SimulatedSensor sensor(
            {"--fault", std::to_string(3 * kSetupFramesPerWord + kRingReads + 1) + "=nak"});
        setWords(sensor, test::RingWords(c.pointer, c.mask));
        const OperationReport report = run(c.code, sensor, "ng", c.number);
        EXPECT_EQ(report.text, c.text) << c.pointer;
        const auto frames = operationFrames(sensor);
        if (c.slot >= 0) {
            EXPECT_EQ(frames.back(), FrameText('V', c.slot, 2 * kImageLineCount - 2)) << c.pointer;
        } else {
            EXPECT_EQ(frames.size(), static_cast<std::size_t>(kRingReads)) << c.pointer;
        }
        if (!c.detail.empty()) {
            EXPECT_EQ(report.detail, c.detail) << c.pointer;
        }
        EXPECT_TRUE(test::ListFolder(m_files.path()).empty()) << c.pointer;
    }
}

// A folder under a file's name fails before any block is read: after the ring words, or after the count
// of recognized characters for the dictionary read that appends to its file.
TEST_F(NgTransfer, AFolderUnderAFilesNameFailsBeforeTheTransfer) {
    for (const auto& [code, name, frames] : {std::tuple{kReadNgData, "ng.ng4", kRingReads},
                                             {kConvertNgDataToCsv, "ng.csv", kRingReads},
                                             {kReadRecognizedCharacters, "ng.dic4", 1}}) {
        std::filesystem::create_directory(path(name));
        test::SimulatedSensor sensor({"--recognized", "A1"});
        m_host.answers = {true};
        const OperationReport report = run(code, sensor, "ng");
        EXPECT_EQ(report.text, "Failed to create the file.");
        EXPECT_EQ(report.detail, path(name) + " is a folder, not a file.");
        EXPECT_EQ(sensor.frames().size(), static_cast<std::size_t>(frames)) << name;
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
        m_host.answers = {false};
        const OperationReport declined = run(kReadNgData, sensor, "ng");
        EXPECT_EQ(m_host.questions, std::vector<std::string>(c.questions, question));
        if (c.questions == 0) {
            continue;
        }
        EXPECT_EQ(declined.text, "Aborted.");
        EXPECT_EQ(sensor.frames().size(), static_cast<std::size_t>(kRingReads));
        EXPECT_EQ(std::filesystem::exists(path("ng.bmp")), c.image);
        m_host.answers = {true};
        EXPECT_EQ(run(kReadNgData, sensor, "ng").outcome, OperationOutcome::kCompleted);
        EXPECT_EQ(std::filesystem::file_size(path("ng.bmp")), 187446U);
        EXPECT_NE(ReadFileBytes(path("ng.ng4")), "old data");
    }
}

// A failure after the image has arrived leaves an existing pair exactly as it was and makes no new
// file: a bad record block (between the image and the pattern blocks, where the fault matrix has no
// row), or a disk with room for the new image but not for its data file.
TEST_F(NgTransfer, FailureAfterTheImageLeavesTheFilesAsTheyWere) {
    constexpr std::size_t kSmallDiskBytes = 512 * 1024;
    constexpr int kSmallDiskInodes = 16;
    const auto [seed, slot] = test::KnownSensor::Find([](int n) { return n > kPatternsPerBlock; });
    const int recordBlock2 = 3 * kSetupFramesPerWord + kRingReads + 2 * kImageLineCount + 2;
    for (const bool fullDisk : {false, true}) {
        for (const bool existing : {true, false}) {
            std::optional<test::SmallFileSystem> disk;
            if (fullDisk && !disk.emplace(kSmallDiskBytes, kSmallDiskInodes).mounted()) {
                GTEST_SKIP() << "a small file system is mounted only by root";
            }
            const std::filesystem::path folder = fullDisk ? disk->path() : m_files.path();
            const std::string image = (folder / "ng.bmp").string();
            const std::string data = (folder / "ng.ng4").string();
            if (existing) {
                WriteFileBytes(image, "old image");
                WriteFileBytes(data, "old data");
            }
            std::vector<std::string> options = {"--seed", std::to_string(seed)};
            if (fullDisk) {
                disk->fill(kBitmapFileSize);
            } else {
                options.insert(options.end(), {"--fault", std::to_string(recordBlock2) + "=checksum"});
            }
            const std::vector<std::string> before = test::ListFolder(folder);
            test::SimulatedSensor sensor(options);
            setWords(sensor, test::RingWords((slot + 1) % kNgSlotCount, test::kAllSlots));
            m_host.answers = {true};
            const OperationReport report = run(kReadNgData, sensor, (folder / "ng").string());
            if (fullDisk) {
                EXPECT_EQ(report.text, "Failed to create the file.");
                EXPECT_EQ(report.detail, data + ": No space left on device.");
            } else {
                EXPECT_EQ(report.text, "Error in checking sum of communication.");
                EXPECT_EQ(operationFrames(sensor).back(), FrameText('V', slot, kFirstRecordBlock + 1));
            }
            EXPECT_EQ(test::ListFolder(folder), before) << fullDisk;
            EXPECT_TRUE(ReadFileBytes(image) == (existing ? "old image" : "")) << fullDisk;  // no bitmap dump
            EXPECT_TRUE(ReadFileBytes(data) == (existing ? "old data" : "")) << fullDisk;
            std::filesystem::remove(image);
            std::filesystem::remove(data);
        }
    }
}

TEST_F(NgTransfer, CsvTakesSixBlocksPerSlotNewestFirstAndCountsToTheHighestBit) {
    const test::KnownSensor known(1);
    test::SimulatedSensor sensor;
    // Only bit 29 is set, so all 30 slots are fetched; those not marked read as zeros.
    setWords(sensor, test::RingWords(3, 1U << 29));
    const OperationReport report = run(kConvertNgDataToCsv, sensor, "ng");
    EXPECT_EQ(report.text, "Reading all NG data from TORV is completed.");
    EXPECT_FALSE(report.offersEdit);
    std::vector<std::string> frames = {"R 09 00", "R 0A 00", "R 0B 00"};
    std::string csv;
    for (int r = 0; r < kNgSlotCount; ++r) {
        const int slot = (2 - r + kNgSlotCount) % kNgSlotCount;  // pointer 3: the newest is slot 2
        for (int block = kFirstPatternBlock; block < kFirstPatternBlock + 6; ++block) {
            frames.push_back(FrameText('V', slot, block));
        }
        csv += NgCsvRecordText(r + 1, known.record(slot, slot == 29), known.patterns(slot, slot == 29));
    }
    EXPECT_EQ(operationFrames(sensor), frames);
    EXPECT_EQ(ReadFileBytes(path("ng.csv")), csv);
    ASSERT_EQ(m_host.progress.size(), 1U + 180 + 1);
    EXPECT_EQ(m_host.progress[1], 512 / 180);
    EXPECT_EQ(m_host.progress[180], 512);
}

}  // namespace
}  // namespace torv
