#include "ngdata/ng_character_read.h"

#include <algorithm>
#include <string>

#include "dictionary/dictionary_file.h"
#include "dictionary/dictionary_operations.h"
#include "files/file_kind.h"
#include "ngdata/ng_record.h"
#include "ngdata/ng_slot_reader.h"

namespace torv {
namespace {

// The bar moves once per record block: 128, 256, 384; the pattern blocks leave it there.
constexpr int kRecordProgressStep = kProgressMax / (kRecordBlockCount + 1);

bool ReadRecordBlocks(OperationRun& run, int slot, ResultRecordBytes& record) {
    return run.runBlocks(
        kRecordBlockCount,
        [&](int p) { return ReadSlotBlock(run, slot, kFirstRecordBlock + p, BlockOf(record, p)); },
        [](int p) { return (p + 1) * kRecordProgressStep; });
}

// A record that claims more characters than its pattern blocks hold gives what they hold.
void SayWhenClamped(OperationRun& run, const NgResultRecord& record) {
    if (record.countClamped()) {
        run.host().show(Caption::kWarning, Icon::kExclamation,
                        "The NG record claims " + std::to_string(record.reportedCount) +
                            " characters; its pattern blocks hold " + std::to_string(kMaxNgCharacters) +
                            ", so those " + std::to_string(kMaxNgCharacters) + " are read.");
    }
}

// Pattern block b, then its characters (at most 16, and only up to the record's count).
bool AppendPatternBlock(OperationRun& run, DictionaryAppender& file, int slot, int b, int count,
                        NgPatternBlocks& patterns) {
    if (!ReadSlotBlock(run, slot, kFirstPatternBlock + b, BlockOf(patterns, b)) || run.stopRequested()) {
        return false;
    }
    const int last = std::min(count, (b + 1) * kPatternsPerBlock);
    for (int j = b * kPatternsPerBlock; j < last; ++j) {
        if (!AppendBlock(run, file, CharacterBlockFromPattern(NgPattern(patterns, j)))) {
            return false;
        }
    }
    return true;
}

}  // namespace

void ReadNgCharactersOperation(OperationRun& run) {
    OperationState& state = run.state();
    NgRingWords ring;
    if (!ReadRingWords(run, ring)) {
        return;
    }
    const int slot = FindNgDataSlot(run, ring);
    ResultRecordBytes bytes{};
    // The record decides how many characters are read and appended.
    if (slot < 0 || !ReadRecordBlocks(run, slot, bytes) || !run.confirmInStep()) {
        return;
    }
    const NgResultRecord record = DecodeResultRecord(bytes);
    if (record.count == 0) {
        run.fail(StringId::kNoRecognizedCharacter, "NG data number " + std::to_string(state.NgDataNumber) +
                                                       " (slot " + std::to_string(slot) +
                                                       ") holds no characters: nothing was read then.");
        return;
    }
    SayWhenClamped(run, record);
    state.OperationFilePath = MakeFilePath(state.OperationFileName, kDictionaryFile);
    DictionaryAppender file(state.OperationFilePath);
    if (!StartAppending(run, file)) {
        return;
    }
    state.AppendedCharCount = record.count;
    NgPatternBlocks patterns{};
    const bool complete = run.runBlocks(
        record.patternBlocks(),
        [&](int b) { return AppendPatternBlock(run, file, slot, b, record.count, patterns); }, {});
    if (complete) {
        run.setProgress(kProgressMax);
    }
}

}  // namespace torv
