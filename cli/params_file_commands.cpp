// `params show`, `params get`, `params diff` and `params set`: parameter files read and changed through the
// catalogue, without a sensor (the diff itself is in params_diff.cpp).

#include <algorithm>
#include <cctype>
#include <charconv>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <vector>

#include "cli/json_output.h"
#include "cli/nearest_word.h"
#include "cli/params_commands.h"
#include "cli/params_diff.h"
#include "cli/standard_input_file.h"
#include "cli/text_shaping.h"
#include "files/file_kind.h"
#include "params/catalogue.h"
#include "params/fields.h"
#include "params/parameter_file.h"
#include "resources/strings.h"

namespace torv::cli {
namespace {

constexpr int kAllBanks = -1;

struct FileArguments {
    std::string name;
    std::string otherName;
    std::string key;  // get: the parameter asked for
    int bank = kAllBanks;
    std::vector<std::string> assignments;
    bool valuesOnly = false;  // diff: the parameters' values only, not the words no parameter names
};

bool InScope(const ParameterRow& row, ParameterScope scope) {
    return row.field.scope == scope;
}

void PrintBlock(const ParameterSet& set, ParameterScope scope, int bank) {
    std::cout << (scope == ParameterScope::kCommon ? std::string("[Common]")
                                                   : "[Bank " + std::to_string(bank) + "]")
              << '\n';
    for (const ParameterRow& row : kParameterCatalogue) {
        if (InScope(row, scope)) {
            std::cout << row.key << " = " << ShownValue(set, bank, row) << '\n';
        }
    }
}

// The field's bits as the file stores them; nothing for a STRING, whose bytes are no one number.
Json RawValueJson(const ParameterSet& set, int bank, const ParameterRow& row) {
    if (row.kind == ParameterKind::kText) {
        return nullptr;
    }
    const std::int32_t word =
        row.field.scope == ParameterScope::kCommon
            ? set.common[static_cast<std::size_t>(row.field.word)]
            : set.bank[static_cast<std::size_t>(bank)][static_cast<std::size_t>(row.field.word)];
    return (static_cast<std::uint32_t>(word) >> row.field.firstBit) & row.field.mask();
}

Json ParameterJson(const ParameterSet& set, int bank, const ParameterRow& row) {
    const bool common = row.field.scope == ParameterScope::kCommon;
    return {{"key", row.key},
            {"bank", common ? Json(nullptr) : Json(bank)},
            {"word", row.field.word},
            {"first_bit", row.field.firstBit},
            {"bits", row.field.bitCount},
            {"raw", RawValueJson(set, bank, row)},
            {"value", ShownValue(set, bank, row)}};
}

void PrintShowJson(const ParameterSet& set, const std::string& name, int onlyBank) {
    Json parameters = Json::array();
    for (const ParameterRow& row : kParameterCatalogue) {
        if (InScope(row, ParameterScope::kCommon)) {
            parameters.push_back(ParameterJson(set, 0, row));
        }
    }
    for (int bank = 0; bank < kBankCount; ++bank) {
        for (const ParameterRow& row : kParameterCatalogue) {
            if (InScope(row, ParameterScope::kBank) && (onlyBank == kAllBanks || onlyBank == bank)) {
                parameters.push_back(ParameterJson(set, bank, row));
            }
        }
    }
    PrintJson(Json{{"file", name}, {"version", set.version}, {"parameters", std::move(parameters)}});
}

int RunShow(const FileArguments& arguments) {
    const auto set = LoadParametersOrSay(arguments.name);
    if (!set) {
        return kExitFile;
    }
    if (JsonOutput()) {
        PrintShowJson(*set, CommandFileLabel(arguments.name, kParameterFile), arguments.bank);
        return kExitOk;
    }
    std::cout << "Software version = " << set->version << '\n';
    PrintBlock(*set, ParameterScope::kCommon, 0);
    for (int bank = 0; bank < kBankCount; ++bank) {
        if (arguments.bank == kAllBanks || arguments.bank == bank) {
            PrintBlock(*set, ParameterScope::kBank, bank);
        }
    }
    return kExitOk;
}

int RunDiff(const FileArguments& arguments) {
    return RunParamsDiff(arguments.name, arguments.otherName, arguments.valuesOnly);
}

std::optional<std::int64_t> ParseInteger(std::string_view text) {
    std::int64_t value = 0;
    const char* begin = text.data() + (text.starts_with('+') ? 1 : 0);
    const auto [end, error] = std::from_chars(begin, text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || begin == end) {
        return std::nullopt;
    }
    return value;
}

// Keys are matched without regard to case ("shutter" is SHUTTER).
std::optional<std::size_t> FindKey(std::string_view key) {
    if (const auto exact = FindParameterIndex(key)) {
        return exact;
    }
    const std::string upper = UpperCase(key);
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        if (UpperCase(kParameterCatalogue[i].key) == upper) {
            return i;
        }
    }
    return std::nullopt;
}

// The key a mistyped one most likely meant, when one is close enough to suggest.
std::optional<std::string> NearestKey(std::string_view key) {
    std::vector<std::string> keys;
    for (const ParameterRow& row : kParameterCatalogue) {
        keys.emplace_back(row.key);
    }
    return NearestWord(key, keys);
}

void SayNotAParameter(std::string_view command, std::string_view key) {
    std::cerr << "torvctl params " << command << ": \"" << key << "\" is not a parameter";
    if (const auto nearest = NearestKey(key)) {
        std::cerr << "; did you mean " << *nearest << "?";
    }
    std::cerr << " (see `torvctl params show`)\n";
}

// List values are matched like keys, without regard to case ("datefrmt=mdy" is MDY).
std::optional<int> FindValue(const ParameterRow& row, std::string_view value) {
    if (const auto exact = FindListEntry(row, value)) {
        return exact;
    }
    const std::string upper = UpperCase(value);
    for (std::size_t i = 0; i < row.list.size(); ++i) {
        if (UpperCase(row.list[i]) == upper) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

// Puts one KEY=VALUE into the inputs; prints why and returns false when it cannot be taken.
bool TakeAssignment(const std::string& assignment, FieldInputs& inputs, int bank) {
    const auto equals = assignment.find('=');
    const std::string key = assignment.substr(0, equals);
    const auto index = FindKey(key);
    if (equals == std::string::npos && index) {
        std::cerr << "torvctl params set: " << kParameterCatalogue[*index].key << " needs a value: give "
                  << kParameterCatalogue[*index].key << "=VALUE\n";
        return false;
    }
    if (!index) {
        SayNotAParameter("set", key);
        return false;
    }
    const ParameterRow& row = kParameterCatalogue[*index];
    const std::string value = assignment.substr(equals + 1);
    if (row.field.scope == ParameterScope::kBank && bank == kAllBanks) {
        std::cerr << "torvctl params set: " << row.key << " is set per bank: give --bank 0..15\n";
        return false;
    }
    FieldInput& input = inputs[*index];
    if (row.kind == ParameterKind::kList) {
        const auto entry = FindValue(row, value);
        if (!entry) {
            std::cerr << "torvctl params set: " << row.key << " has no value \"" << value << "\"; it takes:";
            for (std::string_view text : row.list) {
                std::cerr << ' ' << text;
            }
            std::cerr << '\n';
            return false;
        }
        input.index = *entry;
        return true;
    }
    if (row.kind == ParameterKind::kNumber) {
        const auto number = ParseInteger(value);
        if (!number) {
            std::cerr << "torvctl params set: " << row.key << " takes a whole number, not \"" << value
                      << "\"\n";
            return false;
        }
        if (*number < row.range.min || *number > row.range.max) {
            std::cerr << "torvctl params set: note: " << row.key << " " << value << " is outside "
                      << row.range.min << ".." << row.range.max
                      << " and is stored as the sensor's editor would store it\n";
        }
    } else if (value.size() > static_cast<std::size_t>(row.range.max)) {
        std::cerr << "torvctl params set: note: " << row.key << " keeps its first " << row.range.max
                  << " characters\n";
    }
    input.text = value;
    return true;
}

int RunSet(const FileArguments& arguments) {
    if (arguments.name == kStandardStreamName || NamesStreamAsItIs(arguments.name)) {
        std::cerr << "torvctl params set: " << arguments.name
                  << " is a stream, which cannot be changed in place: give a file\n";
        return kExitUsage;
    }
    auto set = LoadParametersOrSay(arguments.name);
    if (!set) {
        return kExitFile;
    }
    const int bank = arguments.bank == kAllBanks ? 0 : arguments.bank;
    FieldInputs inputs = ReadFieldInputs(*set, bank);
    for (const std::string& assignment : arguments.assignments) {
        if (!TakeAssignment(assignment, inputs, arguments.bank)) {
            return kExitUsage;  // nothing has been written
        }
    }
    StoreBank(*set, bank, inputs);
    set->version = kDefaultParameterVersion;  // as the editor saves it
    if (SaveParameterFile(CommandFileName(arguments.name, kParameterFile), *set) != SaveStatus::Saved) {
        std::cerr << Text(StringId::kCreateFileFailed) << '\n';
        return kExitFile;
    }
    return kExitOk;
}

// One value, alone on its line, for `$(torvctl params get NAME KEY)`.
int RunGet(const FileArguments& arguments) {
    const auto index = FindKey(arguments.key);
    if (!index) {
        SayNotAParameter("get", arguments.key);
        return kExitUsage;
    }
    const ParameterRow& row = kParameterCatalogue[*index];
    if (row.field.scope == ParameterScope::kBank && arguments.bank == kAllBanks) {
        std::cerr << "torvctl params get: " << row.key << " is set per bank: give --bank 0..15\n";
        return kExitUsage;
    }
    const auto set = LoadParametersOrSay(arguments.name);
    if (!set) {
        return kExitFile;
    }
    const int bank = arguments.bank == kAllBanks ? 0 : arguments.bank;
    if (JsonOutput()) {
        const bool common = row.field.scope == ParameterScope::kCommon;
        PrintJson(Json{{"key", row.key},
                       {"bank", common ? Json(nullptr) : Json(bank)},
                       {"value", ShownValue(*set, bank, row)}});
    } else {
        std::cout << ShownValue(*set, bank, row) << '\n';
    }
    return kExitOk;
}

void SetRunner(CLI::App* command, CliContext& context, const std::shared_ptr<FileArguments>& arguments,
               int (*runner)(const FileArguments&)) {
    command->callback(
        [&context, arguments, runner] { context.run = [arguments, runner] { return runner(*arguments); }; });
}

}  // namespace

// A STRING keeps printable ASCII and escapes every other byte (and the backslash), so no control byte
// from a file reaches the terminal.
std::string ShownValue(const ParameterSet& set, int bank, const ParameterRow& row) {
    if (row.kind == ParameterKind::kList) {
        const auto index = std::get<std::int32_t>(DecodeField(set, bank, row));
        if (index < 0 || static_cast<std::size_t>(index) >= row.list.size()) {
            return "(" + std::to_string(index) + ")";
        }
    }
    const std::string text = FieldValueText(set, bank, row);
    std::string shown;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\\') {
            shown += "\\\\";
        } else if (byte >= 0x20 && byte < 0x7F) {
            shown += c;
        } else {
            constexpr std::string_view kHex = "0123456789abcdef";
            shown += "\\x";
            shown += kHex[byte >> 4];
            shown += kHex[byte & 0xF];
        }
    }
    return shown;
}

std::optional<ParameterSet> LoadParametersOrSay(const std::string& name) {
    const LoadedParameters loaded = LoadParameterFile(CommandFileName(name, kParameterFile));
    if (loaded.status == LoadStatus::Loaded) {
        return loaded.set;
    }
    std::cerr << Text(loaded.status == LoadStatus::NotFound ? StringId::kParameterFileNotFound
                                                            : StringId::kParameterFileInvalid)
              << '\n'
              << loaded.problem << '\n';
    return std::nullopt;
}

void AddParamsFileCommands(CLI::App& params, CliContext& context) {
    auto arguments = std::make_shared<FileArguments>();
    CLI::App* show = params.add_subcommand("show", "Print every parameter of NAME.torv as KEY = value");
    show->add_option("NAME", arguments->name, "Parameter file")->required();
    show->add_option("--bank", arguments->bank, "Only this bank (0..15)")
        ->check(CLI::Range(0, kBankCount - 1));
    SetRunner(show, context, arguments, RunShow);

    CLI::App* get =
        params.add_subcommand("get", "Print one parameter's value of NAME.torv, alone on its line");
    get->add_option("NAME", arguments->name, "Parameter file")->required();
    get->add_option("KEY", arguments->key, "The parameter, e.g. SHUTTER (see `torvctl params show`)")
        ->required();
    get->add_option("--bank", arguments->bank, "The bank of a per-bank parameter (0..15)")
        ->check(CLI::Range(0, kBankCount - 1));
    SetRunner(get, context, arguments, RunGet);

    CLI::App* diff = params.add_subcommand(
        "diff",
        "What the files would set differently: the parameters' values, then the words no parameter "
        "names (exit 0 the same, 6 different, 5 a file missing or invalid)");
    diff->add_option("NAME1", arguments->name, "Parameter file")->required();
    diff->add_option("NAME2", arguments->otherName, "Parameter file")->required();
    diff->add_flag("--values", arguments->valuesOnly,
                   "Compare the parameters' values only, not the words and bits no parameter names");
    SetRunner(diff, context, arguments, RunDiff);

    CLI::App* set =
        params.add_subcommand("set", "Change parameters of NAME.torv (KEY=VALUE, as the editor would)");
    set->add_option("NAME", arguments->name, "Parameter file")->required();
    set->add_option("--bank", arguments->bank, "The bank of per-bank parameters (0..15)")
        ->check(CLI::Range(0, kBankCount - 1));
    set->add_option("ASSIGNMENTS", arguments->assignments, "KEY=VALUE, e.g. SHUTTER=90 ORIENTTN=REVS")
        ->required();
    SetRunner(set, context, arguments, RunSet);
}

}  // namespace torv::cli
