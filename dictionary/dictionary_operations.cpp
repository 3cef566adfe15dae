#include "dictionary/dictionary_operations.h"

#include <algorithm>

#include "dictionary/dictionary_file.h"
#include "files/atomic_file.h"
#include "files/file_kind.h"
#include "files/file_status.h"
#include "link/frames.h"

namespace torv {
namespace {

// `S` 6,0 answers the number of recognized characters; `S` 8i+j,1 answers bytes 2j and 2j + 1 of
// character i's pattern. The selector is one byte, so it reaches 32 characters at most.
constexpr std::uint8_t kCountSelector = 6;
constexpr std::uint8_t kCountSubCode = 0;
constexpr std::uint8_t kPatternSubCode = 1;
constexpr int kPairsPerPattern = kPatternSize / 2;
constexpr int kSelectorValues = 256;
constexpr int kAddressableCharacters = kSelectorValues / kPairsPerPattern;

// The dictionary write's progress counts bytes sent against the area's 448.
constexpr int kDictionaryAreaBytes = kDictionaryMaxChars * kDictionaryRecordSize;
constexpr int kByteBits = 8;
constexpr std::uint16_t kByteMask = 0xFF;

// The eight pattern pairs of recognized character i.
bool ReadRecognizedPattern(OperationRun& run, int character, CharacterPattern& pattern) {
    for (int pair = 0; pair < kPairsPerPattern; ++pair) {
        const auto selector =
            static_cast<std::uint8_t>((kPairsPerPattern * character + pair) % kSelectorValues);
        if (!run.exchange(kSensorInfoCommand, selector, kPatternSubCode)) {
            return false;
        }
        pattern[static_cast<std::size_t>(2 * pair)] = run.state().CommandBuffer[0];
        pattern[static_cast<std::size_t>(2 * pair + 1)] = run.state().CommandBuffer[1];
    }
    return true;
}

// How many of the reported characters the selector can reach; the user hears of the rest.
int AddressableCount(OperationRun& run, int reported) {
    if (reported <= kAddressableCharacters) {
        return reported;
    }
    run.host().show(Caption::kWarning, Icon::kExclamation,
                    "The sensor reports " + std::to_string(reported) +
                        " recognized characters, but it hands over the patterns of the first " +
                        std::to_string(kAddressableCharacters) + " only: those " +
                        std::to_string(kAddressableCharacters) + " are read.");
    return kAddressableCharacters;
}

// How many of the records word 12 announces lie in the dictionary area: a length beyond its 56 records
// (a damaged word 12; 65535 would reach word 33435) would read the calendar and whatever follows as
// characters, so those are left unread and the user hears of them.
int RecordsInArea(OperationRun& run, int announced) {
    if (announced <= kDictionaryMaxChars) {
        return announced;
    }
    run.host().show(Caption::kWarning, Icon::kExclamation,
                    "The sensor's dictionary length (word " + std::to_string(kDictionaryLengthWord) +
                        ") announces " + std::to_string(announced) +
                        " characters, but its dictionary area holds " + std::to_string(kDictionaryMaxChars) +
                        ": those " + std::to_string(kDictionaryMaxChars) + " are read.");
    return kDictionaryMaxChars;
}

// The four words of character i's record.
bool ReadRecord(OperationRun& run, int character, DictionaryRecord& record) {
    for (int k = 0; k < kWordsPerRecord; ++k) {
        std::uint16_t word = 0;
        if (!run.readWord(DictionaryRecordWordAddress(character, k), word)) {
            return false;
        }
        record[static_cast<std::size_t>(2 * k)] = static_cast<std::uint8_t>(word & kByteMask);
        record[static_cast<std::size_t>(2 * k + 1)] = static_cast<std::uint8_t>(word >> kByteBits);
    }
    return true;
}

bool WriteRecord(OperationRun& run, const DictionaryRecord& record) {
    for (int k = 0; k < kWordsPerRecord; ++k) {
        if (!run.writeWord(RecordWord(record, k))) {
            return false;
        }
    }
    return true;
}

bool HasUnassignedCode(const std::vector<DictionaryCharacter>& characters) {
    return std::any_of(characters.begin(), characters.end(),
                       [](const DictionaryCharacter& c) { return c.code == kUnassignedCode; });
}

// The characters the dictionary write sends: the file's first 56, every one of them checked before anything
// reaches the sensor. False, with the run failed, when the file is missing or broken.
bool LoadCharactersToSend(OperationRun& run, LoadedDictionary& loaded) {
    const std::string& path = run.state().OperationFilePath;
    loaded = LoadDictionaryFile(path);
    switch (loaded.status) {
        case DictionaryStatus::kLoaded:
            return true;
        case DictionaryStatus::kNotFound:
            run.fail(StringId::kDictionaryFileNotFound, NotReadableText(path));
            return false;
        case DictionaryStatus::kInvalid:
            break;
    }
    run.fail(StringId::kDictionaryFileInvalid, InvalidBlockText(path, loaded.characters.size()));
    return false;
}

}  // namespace

bool StartAppending(OperationRun& run, DictionaryAppender& file) {
    if (!run.agreeToReplace(run.state().OperationFilePath, StringId::kDictionaryAppendQuestion)) {
        return false;
    }
    if (!file.canAppend()) {
        run.fail(StringId::kCreateFileFailed, file.failureText());
        return false;
    }
    return true;
}

bool AppendBlock(OperationRun& run, DictionaryAppender& file, const std::string& block) {
    // What is appended stays, so the replies it came from must have been the sensor's own.
    if (!run.confirmInStep()) {
        return false;
    }
    if (!file.append(block)) {
        run.fail(StringId::kCreateFileFailed, file.failureText());
        return false;
    }
    return true;
}

void ReadRecognizedCharactersOperation(OperationRun& run) {
    OperationState& state = run.state();
    // The count decides what is read and said next, so it must be the sensor's own reply.
    if (!run.exchange(kSensorInfoCommand, kCountSelector, kCountSubCode) || !run.confirmInStep()) {
        return;
    }
    const int reported = state.CommandBuffer[0];
    run.host().setStatus(std::string(Text(StringId::kReadingRecognizedCharacters)) +
                         std::to_string(reported) + std::string(Text(StringId::kCountClose)));
    if (reported == 0) {
        run.fail(StringId::kNoRecognizedCharacter, "The sensor reports 0 characters in its latest reading.");
        return;
    }
    const int count = AddressableCount(run, reported);
    state.OperationFilePath = MakeFilePath(state.OperationFileName, kDictionaryFile);
    DictionaryAppender file(state.OperationFilePath);
    if (!StartAppending(run, file)) {
        return;
    }
    state.AppendedCharCount = count;
    const bool complete = run.runBlocks(
        count,
        [&](int i) {
            CharacterPattern pattern{};
            return ReadRecognizedPattern(run, i, pattern) &&
                   AppendBlock(run, file, CharacterBlockFromPattern(pattern));
        },
        [count](int i) { return i * kProgressMax / count; });
    if (complete) {
        run.setProgress(kProgressMax);
    }
}

void ReadDictionaryOperation(OperationRun& run) {
    OperationState& state = run.state();
    std::uint16_t length = 0;
    if (!run.readWord(kDictionaryLengthWord, length) || !run.confirmInStep()) {
        return;
    }
    // The length counts bytes; a remainder short of a whole record is dropped.
    const int count = RecordsInArea(run, length / kDictionaryRecordSize);
    if (count == 0 && !run.agreeTo(StringId::kNoDictionaryInSensor, Answer::kNo)) {
        return;
    }
    state.OperationFilePath = MakeFilePath(state.OperationFileName, kDictionaryFile);
    if (!run.agreeToReplace(state.OperationFilePath)) {
        return;
    }
    // The file replaces the old one only when every record has arrived.
    AtomicFileWriter file(state.OperationFilePath);
    if (!run.fileOpened(file)) {
        return;
    }
    run.setStatus(StringId::kReadingDictionary);
    const bool complete = run.runBlocks(
        count,
        [&](int i) {
            DictionaryRecord record{};
            if (!ReadRecord(run, i, record)) {
                return false;
            }
            file.write(CharacterBlockFromRecord(record));
            return true;
        },
        [count](int i) { return i * kProgressMax / count; });
    if (complete && run.confirmInStep() && run.fileCommitted(file)) {
        run.setProgress(kProgressMax);
    }
}

void WriteDictionaryOperation(OperationRun& run) {
    OperationState& state = run.state();
    state.OperationFilePath = MakeFilePath(state.OperationFileName, kDictionaryFile);
    LoadedDictionary loaded;
    if (!LoadCharactersToSend(run, loaded)) {
        return;
    }
    // Asked before the first frame, so that No leaves the sensor untouched.
    if (HasUnassignedCode(loaded.characters) &&
        !run.agreeTo(StringId::kUnassignedCodeQuestion, Answer::kNo)) {
        return;
    }
    run.setStatus(StringId::kWritingDictionary);
    // `R` places the sensor's write position on the first record; each `W` moves it on by a word.
    if (!run.readWord(kDictionaryFirstWord)) {
        return;
    }
    const int count = static_cast<int>(loaded.characters.size());
    const bool sent = run.runBlocks(
        count,
        [&](int i) { return WriteRecord(run, RecordOf(loaded.characters[static_cast<std::size_t>(i)])); },
        [](int i) { return (i + 1) * kDictionaryRecordSize * kProgressMax / kDictionaryAreaBytes; });
    if (!sent || !run.readWord(kDictionaryLengthWord) || !run.writeWord(count * kDictionaryRecordSize)) {
        return;
    }
    // The store command carries the two bytes the length write's reply left behind.
    run.exchange(kStoreCommand);
    run.setProgress(kProgressMax);
}

}  // namespace torv
