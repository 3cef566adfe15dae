#include "cli/dict_commands.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <span>

#include "cli/device_operation.h"
#include "cli/json_output.h"
#include "dictionary/dictionary_file.h"
#include "engine/operation_state.h"
#include "files/file_kind.h"
#include "files/file_status.h"
#include "ngdata/ng_slots.h"
#include "resources/strings.h"

namespace torv::cli {
namespace {

// Characters side by side, seven to a band, each in a column wide enough for "56 0x0A".
constexpr std::size_t kCharactersPerBand = 7;
constexpr int kColumnWidth = 10;
constexpr char kSetDot = '#';
constexpr char kClearDot = '.';
constexpr std::uint8_t kFirstPrintable = 0x21;
constexpr std::uint8_t kLastPrintable = 0x7E;

// "1 A", "2 ?", "3 0x20": the number the editor shows (1..56) and the code.
std::string Heading(std::size_t index, std::uint8_t code) {
    std::array<char, 32> text{};
    if (code >= kFirstPrintable && code <= kLastPrintable) {
        std::snprintf(text.data(), text.size(), "%2zu %c", index + 1, code);
    } else {
        std::snprintf(text.data(), text.size(), "%2zu 0x%02X", index + 1, code);
    }
    return text.data();
}

std::string Row(std::uint8_t bits) {
    std::string row;
    for (int column = 1; column <= kGridSize; ++column) {
        row += (bits & ColumnBit(column)) != 0 ? kSetDot : kClearDot;
    }
    return row;
}

void PrintCell(const std::string& text) {
    std::cout << text
              << std::string(static_cast<std::size_t>(std::max(1, kColumnWidth - int(text.size()))), ' ');
}

void PrintBand(std::span<const DictionaryCharacter> band, std::size_t firstIndex) {
    for (std::size_t i = 0; i < band.size(); ++i) {
        PrintCell(Heading(firstIndex + i, band[i].code));
    }
    std::cout << '\n';
    for (std::size_t row = 0; row < kGridSize; ++row) {
        for (const DictionaryCharacter& character : band) {
            PrintCell(" " + Row(character.rows[row]));
        }
        std::cout << '\n';
    }
    std::cout << '\n';
}

// Each character's code and its seven rows, the top row first, bit 6 (64) the left column.
void PrintDictionaryJson(const std::string& file, std::span<const DictionaryCharacter> characters) {
    Json list = Json::array();
    for (const DictionaryCharacter& character : characters) {
        list.push_back({{"code", character.code},
                        {"rows", std::vector<int>(character.rows.begin(), character.rows.end())}});
    }
    PrintJson(Json{{"file", file}, {"characters", std::move(list)}});
}

int RunDictShow(const std::string& name) {
    const std::string path = CommandFileName(name, kDictionaryFile);
    const LoadedDictionary loaded = LoadDictionaryFile(path);
    if (loaded.status == DictionaryStatus::kNotFound) {
        std::cerr << Text(StringId::kDictionaryFileNotFound) << '\n' << NotReadableText(path) << '\n';
        return kExitFile;
    }
    const std::span<const DictionaryCharacter> characters(loaded.characters);
    if (JsonOutput() && loaded.status == DictionaryStatus::kLoaded) {
        PrintDictionaryJson(CommandFileLabel(name, kDictionaryFile), characters);
        return kExitOk;
    }
    for (std::size_t first = 0; first < characters.size(); first += kCharactersPerBand) {
        PrintBand(characters.subspan(first, std::min(kCharactersPerBand, characters.size() - first)), first);
    }
    if (loaded.status == DictionaryStatus::kInvalid) {
        std::cerr << Text(StringId::kDictionaryFileInvalid) << '\n'
                  << InvalidBlockText(path, characters.size()) << '\n';
        return kExitFile;
    }
    std::cout << characters.size() << (characters.size() == 1 ? " character\n" : " characters\n");
    return kExitOk;
}

struct DictArguments {
    std::string name;
    int ngDataNumber = 1;
};

int RunDictRecognized(const GlobalOptions& options, const DictArguments& arguments) {
    OperationState state;
    return RunDeviceOperation(options, kReadRecognizedCharacters,
                              CommandBaseName(arguments.name, kDictionaryFile), state);
}

int RunDictFromNg(const GlobalOptions& options, const DictArguments& arguments) {
    OperationState state;
    state.NgDataNumber = arguments.ngDataNumber;
    return RunDeviceOperation(options, kReadNgCharacters, CommandBaseName(arguments.name, kDictionaryFile),
                              state);
}

int RunDictRead(const GlobalOptions& options, const DictArguments& arguments) {
    OperationState state;
    return RunDeviceOperation(options, kReadDictionary, CommandBaseName(arguments.name, kDictionaryFile),
                              state);
}

int RunDictWrite(const GlobalOptions& options, const DictArguments& arguments) {
    OperationState state;
    if (!Confirmed(options, state, Text(StringId::kOverwriteDictionaryQuestion))) {
        return kExitAborted;
    }
    const int result = RunDeviceOperation(options, kWriteDictionary,
                                          CommandBaseName(arguments.name, kDictionaryFile), state);
    if (result != kExitOk && state.UnstoredWords) {
        PrintUnstoredNotice(state);
    }
    return result;
}

using DictRunner = int (*)(const GlobalOptions&, const DictArguments&);

std::shared_ptr<DictArguments> AddDictSubcommand(CLI::App& dict, CliContext& context, const char* name,
                                                 const char* description, DictRunner runner,
                                                 CLI::App** command = nullptr) {
    auto arguments = std::make_shared<DictArguments>();
    CLI::App* subcommand = dict.add_subcommand(name, description);
    subcommand->add_option("NAME", arguments->name, "Dictionary file (\".dic4\" is added)")->required();
    subcommand->callback([&context, arguments, runner] {
        context.run = [&context, arguments, runner] { return runner(context.options, *arguments); };
    });
    if (command != nullptr) {
        *command = subcommand;
    }
    return arguments;
}

}  // namespace

void AddDictCommand(CLI::App& app, CliContext& context) {
    CLI::App* dict = app.add_subcommand("dict", "Dictionary files and the sensor's expansion dictionary");
    dict->require_subcommand(1);
    AddDictSubcommand(
        *dict, context, "show", "Each character of NAME.dic4: its number, code and dots",
        [](const GlobalOptions&, const DictArguments& arguments) { return RunDictShow(arguments.name); });
    AddDictSubcommand(*dict, context, "recognized",
                      "Append the characters the sensor has just recognized to NAME.dic4 (code \"?\")",
                      RunDictRecognized);
    CLI::App* fromNg = nullptr;
    const auto fromNgArguments = AddDictSubcommand(
        *dict, context, "from-ng",
        "Append the characters of a stored NG inspection to NAME.dic4 (code \"?\")", RunDictFromNg, &fromNg);
    fromNg
        ->add_option("--ng", fromNgArguments->ngDataNumber,
                     "NG data number: 1 is the newest NG, 30 the oldest")
        ->check(CLI::Range(1, kNgDataNumberCount))
        ->capture_default_str();
    AddDictSubcommand(*dict, context, "read", "Read the sensor's expansion dictionary into NAME.dic4",
                      RunDictRead);
    AddDictSubcommand(
        *dict, context, "write",
        "Write the first 56 characters of NAME.dic4 into the sensor as its expansion dictionary",
        RunDictWrite);
}

}  // namespace torv::cli
