#include "ngdata/ng_operations.h"

#include <memory>
#include <string>

#include "files/atomic_file.h"
#include "files/file_kind.h"
#include "files/file_status.h"
#include "ngdata/ng_image.h"
#include "ngdata/ng_record.h"
#include "ngdata/ng_slot_reader.h"
#include "ngdata/ng_text.h"

namespace torv {
namespace {

// The NG data read moves the bar in 126 steps: one per image line (0 after the first line read, 491 after
// the last), one per record block (499, 503, 507), and the end.
constexpr int kNgReadProgressSteps = 126;
constexpr int kRecordProgressFirstStep = 123;

// The NG-to-CSV conversion reads six blocks per slot: the three pattern blocks, then the three record blocks.
constexpr int kCsvBlocksPerSlot = kPatternBlockCount + kRecordBlockCount;
static_assert(kFirstRecordBlock == kFirstPatternBlock + kPatternBlockCount);

// Everything the NG data read takes from a slot, held until both files can be written whole.
struct NgSlotContent {
    NgImageLines lines{};
    ResultRecordBytes record{};
    NgPatternBlocks patterns{};
};

// The slot's last six blocks, as the NG-to-CSV conversion reads them.
struct NgSlotTail {
    NgPatternBlocks patterns{};
    ResultRecordBytes record{};

    std::span<std::uint8_t, kSlotBlockSize> block(int p) {
        return p < kPatternBlockCount ? BlockOf(patterns, p) : BlockOf(record, p - kPatternBlockCount);
    }
};

// The image lines from the bottom line up, both halves of each; progress after each line.
bool ReadImageLines(OperationRun& run, int slot, NgImageLines& lines) {
    return run.runBlocks(
        kImageLineCount,
        [&](int i) {
            const int line = kImageLineCount - 1 - i;
            for (int half = 0; half < kBlocksPerImageLine; ++half) {
                const int block = kBlocksPerImageLine * line + half;
                if (!ReadSlotBlock(run, slot, block, BlockOf(lines, block))) {
                    return false;
                }
            }
            return true;
        },
        [](int i) { return i * kProgressMax / kNgReadProgressSteps; });
}

bool ReadResultRecord(OperationRun& run, int slot, ResultRecordBytes& record) {
    return run.runBlocks(
        kRecordBlockCount,
        [&](int p) { return ReadSlotBlock(run, slot, kFirstRecordBlock + p, BlockOf(record, p)); },
        [](int p) { return (p + kRecordProgressFirstStep) * kProgressMax / kNgReadProgressSteps; });
}

// The pattern blocks that hold the record's characters, without a pause between them.
bool ReadPatternBlocks(OperationRun& run, int slot, int blocks, NgPatternBlocks& patterns) {
    for (int b = 0; b < blocks; ++b) {
        if (!ReadSlotBlock(run, slot, kFirstPatternBlock + b, BlockOf(patterns, b))) {
            return false;
        }
    }
    return true;
}

// Reads the whole slot; false when the run failed or the user stopped it.
bool ReadNgSlot(OperationRun& run, int slot, NgSlotContent& content) {
    if (!ReadImageLines(run, slot, content.lines) || !ReadResultRecord(run, slot, content.record)) {
        return false;
    }
    const NgResultRecord record = DecodeResultRecord(content.record);
    return ReadPatternBlocks(run, slot, record.patternBlocks(), content.patterns) && !run.stopRequested();
}

// The image and data files replace what was there only together, and only once the slot is in.
bool WriteNgFiles(AtomicFileWriter& image, AtomicFileWriter& data, const NgSlotContent& content) {
    const std::vector<std::uint8_t> bitmap = NgBitmapBytes(content.lines);
    image.write(std::string_view(reinterpret_cast<const char*>(bitmap.data()), bitmap.size()));
    data.write(NgDataFileText(DecodeResultRecord(content.record), content.patterns));
    // A full disk that takes the image but not its data file leaves neither new file, or both old ones.
    return CommitTogether(image, data);
}

// The last six blocks of each slot, newest first; each slot's lines once its record is in.
bool ReadSlotsIntoCsv(OperationRun& run, int newest, int slots, AtomicFileWriter& csv) {
    NgSlotTail tail;
    const int blocks = slots * kCsvBlocksPerSlot;
    return run.runBlocks(
        blocks,
        [&](int i) {
            const int r = i / kCsvBlocksPerSlot;
            const int p = i % kCsvBlocksPerSlot;
            if (!ReadSlotBlock(run, SlotBefore(newest, r), kFirstPatternBlock + p, tail.block(p))) {
                return false;
            }
            if (p == kCsvBlocksPerSlot - 1) {
                csv.write(NgCsvRecordText(r + 1, DecodeResultRecord(tail.record), tail.patterns));
            }
            return true;
        },
        [blocks](int i) { return (i + 1) * kProgressMax / blocks; });
}

}  // namespace

void ReadNgDataOperation(OperationRun& run) {
    OperationState& state = run.state();
    run.setStatus(StringId::kReadingNgData);
    NgRingWords ring;
    if (!ReadRingWords(run, ring)) {
        return;
    }
    const int slot = FindNgDataSlot(run, ring);
    if (slot < 0) {
        return;
    }
    const std::string imagePath = MakeFilePath(state.OperationFileName, kNgImageFile);
    const std::string dataPath = MakeFilePath(state.OperationFileName, kNgDataFile);
    state.OperationFilePath = imagePath;
    // One question covers both files: Yes to replacing the image also replaces its data file.
    if (!run.agreeToReplace(FileExists(imagePath) ? imagePath : dataPath)) {
        return;
    }
    AtomicFileWriter image(imagePath);
    AtomicFileWriter data(dataPath);
    if (!run.fileOpened(image) || !run.fileOpened(data)) {
        return;
    }
    auto content = std::make_unique<NgSlotContent>();
    if (!ReadNgSlot(run, slot, *content) || !run.confirmInStep()) {
        return;
    }
    if (!WriteNgFiles(image, data, *content)) {
        run.fail(StringId::kCreateFileFailed,
                 image.failureText().empty() ? data.failureText() : image.failureText());
        return;
    }
    run.setProgress(kProgressMax);
}

void ConvertNgDataToCsvOperation(OperationRun& run) {
    OperationState& state = run.state();
    run.setStatus(StringId::kReadingNgData);
    NgRingWords ring;
    if (!ReadRingWords(run, ring)) {
        return;
    }
    const int newest = SlotOfNgDataNumber(ring, 1);
    if (newest < 0) {
        run.fail(StringId::kInvalidResponse, SlotPointerProblem(ring));
        return;
    }
    const int slots = CountedSlots(ring);
    if (slots == 0) {
        run.fail(StringId::kNgDataGone, "The sensor marks none of the " + std::to_string(kNgSlotCount) +
                                            " slots of its NG ring as occupied.");
        return;
    }
    state.OperationFilePath = MakeFilePath(state.OperationFileName, kCsvFile);
    if (!run.agreeToReplace(state.OperationFilePath)) {
        return;
    }
    AtomicFileWriter csv(state.OperationFilePath);
    if (!run.fileOpened(csv)) {
        return;
    }
    if (ReadSlotsIntoCsv(run, newest, slots, csv) && run.confirmInStep() && run.fileCommitted(csv)) {
        run.setProgress(kProgressMax);
    }
}

}  // namespace torv
