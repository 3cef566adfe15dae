#include "params/parameter_operations.h"

#include <algorithm>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "files/atomic_file.h"
#include "files/file_kind.h"
#include "files/file_status.h"
#include "files/text_file.h"
#include "link/failure_details.h"
#include "link/frames.h"
#include "params/catalogue.h"
#include "params/fields.h"
#include "params/parameter_file.h"
#include "params/parameter_set.h"

namespace torv {
namespace {

constexpr int kVersionSelectors = 2;  // `S` 0,7 and 1,7 each give two version characters
constexpr std::uint8_t kVersionSubCode = 7;
constexpr int kProgressPerBlock = 30;  // common block, then each bank
// The sensor's rate setting: 0 keeps the rate, k names baud index k - 1.
constexpr std::string_view kRateSettingKey = "COMMUNIC";

int BankProgress(int bank) {
    return (bank + 2) * kProgressPerBlock;
}

// The version characters as the sensor sends them; false when an exchange failed.
bool ReadVersion(OperationRun& run, std::string* version) {
    for (int selector = 0; selector < kVersionSelectors; ++selector) {
        if (!run.exchange(kSensorInfoCommand, static_cast<std::uint8_t>(selector), kVersionSubCode)) {
            return false;
        }
        if (version != nullptr) {
            version->push_back(static_cast<char>(run.state().CommandBuffer[0]));
            version->push_back(static_cast<char>(run.state().CommandBuffer[1]));
        }
    }
    return true;
}

bool ReadWordsToFile(OperationRun& run, int firstAddress, int count, AtomicFileWriter& file) {
    for (int address = firstAddress; address < firstAddress + count; ++address) {
        std::uint16_t value = 0;
        if (!run.readWord(address, value)) {
            return false;
        }
        file.writeLine(std::to_string(value));
    }
    return true;
}

// The version line takes the characters as the sensor sends them, but a line cannot hold a line end,
// a NUL or another control character: such bytes are no version (a late reply, noise), and a file made
// of them could never be written back.
bool IsPrintableVersion(const std::string& version) {
    return std::none_of(version.begin(), version.end(), IsControlCharacter);
}

bool VersionFitsLine(OperationRun& run, const std::string& version) {
    const bool fits = IsPrintableVersion(version);
    if (!fits) {
        run.fail(StringId::kInvalidResponse,
                 "The sensor on " + LineText(run.port(), run.state().BaudIndex) +
                     " sent its software version as bytes " + HexText(version) +
                     ": control characters, which are no version and which the version line of a "
                     "parameter file cannot hold. Nothing was written; try again.");
    }
    return fits;
}

// Reads everything into the file; false when the run failed or was stopped on the way.
bool ReadAllParameters(OperationRun& run, AtomicFileWriter& file) {
    file.writeLine("Software version");
    std::string version;
    if (!ReadVersion(run, &version) || !VersionFitsLine(run, version)) {
        return false;
    }
    file.writeLine(version);  // the characters as the sensor sent them
    run.state().SensorVersion = version;
    run.setStatus(StringId::kReadingCommonParameters);
    file.writeLine("Common parameter");
    if (!ReadWordsToFile(run, 0, kCommonWordCount, file)) {
        return false;
    }
    run.setProgress(kProgressPerBlock);
    run.setStatus(StringId::kReadingBankParameters);
    return run.runBlocks(
        kBankCount,
        [&](int bank) {
            file.writeLine("Bank parameter No." + std::to_string(bank));
            return ReadWordsToFile(run, BankWordAddress(bank, 0), kBankWordCount, file);
        },
        BankProgress);
}

bool WriteWords(OperationRun& run, std::span<const std::int32_t> words) {
    for (std::int32_t word : words) {
        if (!run.writeWord(word)) {
            return false;
        }
    }
    return true;
}

// Streams the banks; false when an exchange failed or the user stopped.
bool WriteAllBanks(OperationRun& run, const ParameterSet& set) {
    if (!run.readWord(BankWordAddress(0, 0))) {
        return false;
    }
    return run.runBlocks(
        kBankCount, [&](int bank) { return WriteWords(run, set.bank[static_cast<std::size_t>(bank)]); },
        BankProgress);
}

// The store command is answered at the rate the new settings name, so the line moves before the
// reply is read.
void StoreAndFollowRate(OperationRun& run, const ParameterSet& set) {
    OperationState& state = run.state();
    if (!run.expectInStep()) {
        return;
    }
    SendCommand(run.port(), kStoreCommand, state.CommandBuffer.data(), 2);
    state.UnstoredWords = false;
    const std::optional<FieldValue> rate = DecodeField(set, 0, kRateSettingKey);
    if (const auto* code = rate ? std::get_if<std::int32_t>(&*rate) : nullptr; code != nullptr && *code > 0) {
        state.BaudIndex = *code - 1;
    }
    SetLinkBaud(run.port(), state.BaudIndex);
    if (ReceiveReply(run.port(), state.CommandBuffer.data(), 2, kReplyTimeoutMs, state.LastErrorText) == 0) {
        run.failWithLastError();
        return;
    }
    run.setProgress(kProgressMax);
}

// One word the sensor holds otherwise than the file says.
struct WordDifference {
    ParameterScope scope;
    int bank;
    int index;  // in the common block or the bank
    int address;
    std::uint16_t inFile;
    std::uint16_t inSensor;
};

// Reads `words.size()` words from `firstAddress` on and notes those that differ from `words`.
bool CompareWords(OperationRun& run, int firstAddress, std::span<const std::int32_t> words,
                  ParameterScope scope, int bank, std::vector<WordDifference>& differences) {
    for (std::size_t i = 0; i < words.size(); ++i) {
        const int address = firstAddress + static_cast<int>(i);
        std::uint16_t value = 0;
        if (!run.readWord(address, value)) {
            return false;
        }
        // The write sends each value modulo 65536.
        const auto sent = static_cast<std::uint16_t>(static_cast<std::uint32_t>(words[i]));
        if (value != sent) {
            differences.push_back({scope, bank, static_cast<int>(i), address, sent, value});
        }
    }
    return true;
}

// The catalogue's keys of the parameters kept in that word: ", SHUTTER".
std::string KeysInWord(ParameterScope scope, int index) {
    std::string keys;
    for (const ParameterRow& row : kParameterCatalogue) {
        if (row.field.scope == scope && row.field.word == index) {
            keys += ", ";
            keys += row.key;
        }
    }
    return keys;
}

std::string DifferenceText(const std::vector<WordDifference>& differences) {
    std::string text = "The sensor holds " + std::to_string(differences.size()) +
                       (differences.size() == 1 ? " word" : " words") + " other than the file:";
    for (const WordDifference& d : differences) {
        text += '\n';
        text += d.scope == ParameterScope::kCommon ? "Common" : "Bank " + std::to_string(d.bank);
        text += " word " + std::to_string(d.index) + " (sensor word " + std::to_string(d.address) +
                KeysInWord(d.scope, d.index) + "): file " + std::to_string(d.inFile) + ", sensor " +
                std::to_string(d.inSensor);
    }
    return text;
}

// The operation's parameter file, whole; false after failing with `kParameterFileNotFound` or
// `kParameterFileInvalid` and what is wrong.
bool LoadOperationFile(OperationRun& run, LoadedParameters& file) {
    OperationState& state = run.state();
    state.OperationFilePath = MakeFilePath(state.OperationFileName, kParameterFile);
    file = LoadParameterFile(state.OperationFilePath);
    if (file.status == LoadStatus::Loaded) {
        return true;
    }
    run.fail(file.status == LoadStatus::NotFound ? StringId::kParameterFileNotFound
                                                 : StringId::kParameterFileInvalid,
             file.problem);
    return false;
}

}  // namespace

void ReadParametersOperation(OperationRun& run) {
    OperationState& state = run.state();
    state.OperationFilePath = MakeFilePath(state.OperationFileName, kParameterFile);
    if (!run.agreeToReplace(state.OperationFilePath)) {
        return;
    }
    // Nothing reaches the file unless the whole set arrives: a failed or cancelled read leaves an
    // existing file as it was and makes no new one.
    AtomicFileWriter file(state.OperationFilePath);
    if (run.fileOpened(file) && ReadAllParameters(run, file) && run.confirmInStep() &&
        run.fileCommitted(file)) {
        run.setProgress(kProgressMax);
    }
}

void WriteParametersOperation(OperationRun& run) {
    // The whole file is read and checked before the first frame, so a file broken anywhere never
    // reaches the sensor half-way.
    LoadedParameters file;
    if (!LoadOperationFile(run, file)) {
        return;
    }
    std::string version;
    if (!ReadVersion(run, &version)) {
        return;
    }
    if (IsPrintableVersion(version)) {  // only for the window to show; the write does not need it
        run.state().SensorVersion = version;
    }
    run.setStatus(StringId::kWritingCommonParameters);
    if (!run.readWord(0) || !WriteWords(run, std::span(file.set.common).first(kWrittenCommonWords)) ||
        run.stopRequested()) {
        return;
    }
    run.setProgress(kProgressPerBlock);
    run.setStatus(StringId::kWritingBankParameters);
    if (WriteAllBanks(run, file.set)) {
        StoreAndFollowRate(run, file.set);
    }
}

void VerifyParametersOperation(OperationRun& run) {
    LoadedParameters file;
    if (!LoadOperationFile(run, file)) {
        return;
    }
    std::vector<WordDifference> differences;
    run.setStatus(StringId::kReadingCommonParameters);
    if (!CompareWords(run, 0, std::span(file.set.common).first(kWrittenCommonWords), ParameterScope::kCommon,
                      0, differences)) {
        return;
    }
    run.setProgress(kProgressPerBlock);
    run.setStatus(StringId::kReadingBankParameters);
    const bool compared = run.runBlocks(
        kBankCount,
        [&](int bank) {
            return CompareWords(run, BankWordAddress(bank, 0), file.set.bank[static_cast<std::size_t>(bank)],
                                ParameterScope::kBank, bank, differences);
        },
        BankProgress);
    if (!compared) {
        return;
    }
    if (!differences.empty()) {
        run.fail(DifferenceText(differences),
                 "The sensor acknowledged every word and the store command, so it changed these itself "
                 "when it stored the set: it keeps a value it does not accept within its own limits. "
                 "Correct them in the file (or read the sensor back) so that file and sensor agree.");
        return;
    }
    run.setProgress(kProgressMax);
}

}  // namespace torv
