#include "cli/dict_commands.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <iostream>
#include <memory>
#include <span>

#include "dictionary/dictionary_file.h"
#include "files/file_kind.h"
#include "files/file_status.h"
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

int RunDictShow(const std::string& name) {
    const std::string path = CommandFileName(name, kDictionaryFile);
    const LoadedDictionary loaded = LoadDictionaryFile(path);
    if (loaded.status == DictionaryStatus::kNotFound) {
        std::cerr << Text(StringId::kDictionaryFileNotFound) << '\n' << NotReadableText(path) << '\n';
        return kExitFailed;
    }
    const std::span<const DictionaryCharacter> characters(loaded.characters);
    for (std::size_t first = 0; first < characters.size(); first += kCharactersPerBand) {
        PrintBand(characters.subspan(first, std::min(kCharactersPerBand, characters.size() - first)), first);
    }
    if (loaded.status == DictionaryStatus::kInvalid) {
        std::cerr << Text(StringId::kDictionaryFileInvalid) << '\n'
                  << path << ": the block of character " << characters.size() + 1
                  << " does not follow the dictionary file's layout.\n";
        return kExitFailed;
    }
    std::cout << characters.size() << (characters.size() == 1 ? " character\n" : " characters\n");
    return kExitOk;
}

}  // namespace

void AddDictCommand(CLI::App& app, CliContext& context) {
    CLI::App* dict = app.add_subcommand("dict", "Dictionary files");
    dict->require_subcommand(1);
    auto name = std::make_shared<std::string>();
    CLI::App* show = dict->add_subcommand("show", "Each character of NAME.dic4: its number, code and dots");
    show->add_option("NAME", *name, "Dictionary file (\".dic4\" is added)")->required();
    show->callback([&context, name] { context.run = [name] { return RunDictShow(*name); }; });
}

}  // namespace torv::cli
