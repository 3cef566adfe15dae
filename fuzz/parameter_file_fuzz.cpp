// The parameter file, as a person may have edited it: whatever the loader accepts survives a save and a
// reload unchanged; the streaming reader the write operation uses accepts exactly the same files with
// the same words; every field decodes within its list or as a number, and the editor's save is stable
// (storing what it shows a second time changes no word).

#include <cstdint>
#include <span>
#include <variant>

#include "fuzz/fuzz_support.h"
#include "params/fields.h"
#include "params/parameter_file.h"
#include "params/parameter_sheet.h"

namespace torv::fuzz {
namespace {

// The write operation's order: header, common block, then the banks one by one.
bool StreamSet(const std::string& path, ParameterSet& set) {
    ParameterFileReader reader(path);
    if (!reader.isOpen() || !reader.readHeader(set.version) || !reader.readCommonWords(set.common)) {
        return false;
    }
    for (BankWords& bank : set.bank) {
        if (!reader.readBank(bank)) {
            return false;
        }
    }
    return true;
}

void CheckFieldsDecode(const ParameterSet& set, int bank) {
    for (const ParameterRow& row : kParameterCatalogue) {
        const FieldValue value = DecodeField(set, bank, row);
        if (row.kind == ParameterKind::kText) {
            Require(std::holds_alternative<std::string>(value), "STRING decodes as text");
            Require(std::get<std::string>(value).size() <= static_cast<std::size_t>(row.range.max),
                    "STRING holds at most 22 characters");
            continue;
        }
        Require(std::holds_alternative<std::int32_t>(value), "a list or number row decodes as a number");
        if (row.field.fillsWord()) {
            continue;  // shown as held, whatever the file said
        }
        const std::int64_t number = std::get<std::int32_t>(value) + static_cast<std::int64_t>(row.range.bias);
        Require(number >= 0 && number <= row.field.mask(), "a field stays within its bits");
        (void)FieldValueText(set, bank, row);
    }
}

// Saving the editor's inputs once brings every field into range; a second save changes nothing.
void CheckStoreIsStable(const ParameterSet& loaded, int bank) {
    ParameterSet once = loaded;
    Require(StoreBank(once, bank, ReadFieldInputs(loaded, bank)), "a bank 0..15 is stored");
    ParameterSet twice = once;
    Require(StoreBank(twice, bank, ReadFieldInputs(once, bank)), "a bank 0..15 is stored again");
    Require(twice == once, "storing what the editor shows a second time changes no word");
}

}  // namespace
}  // namespace torv::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace torv;
    using namespace torv::fuzz;
    static const std::string input = ScratchPath("input.torv");
    static const std::string saved = ScratchPath("saved.torv");
    WriteBytes(input, std::span(data, size));

    const LoadedParameters loaded = LoadParameterFile(input);
    Require(loaded.status != LoadStatus::NotFound, "an existing file is found");
    ParameterSet streamed;
    const bool streamedWhole = StreamSet(input, streamed);
    Require(streamedWhole == (loaded.status == LoadStatus::Loaded), "both readers accept the same files");
    if (loaded.status != LoadStatus::Loaded) {
        Require(loaded.set == InitialParameterSet(), "a broken file gives the initial set");
        Require(!loaded.problem.empty(), "a broken file says what is wrong");
        return 0;
    }
    Require(streamed == loaded.set, "both readers read the same words");

    Require(SaveParameterFile(saved, loaded.set) == SaveStatus::Saved, "the set is saved");
    const LoadedParameters reloaded = LoadParameterFile(saved);
    Require(reloaded.status == LoadStatus::Loaded, "a saved file loads");
    Require(reloaded.set == loaded.set, "load, save, reload gives the same set");

    const int bank = size > 0 ? data[size - 1] % kBankCount : 0;
    CheckFieldsDecode(loaded.set, bank);
    CheckStoreIsStable(loaded.set, bank);
    Require(ParameterSheetLines(loaded.set).size() >= static_cast<std::size_t>(kSheetLineCount),
            "the sheet has a line per parameter");
    return 0;
}
