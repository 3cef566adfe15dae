// `params diff`: what two parameter files would set differently in a sensor. The parameters' values
// come first, as the editor shows them; then each word a write sends whose difference no value shown
// accounts for (common words 1, 7 and 8, bits no parameter names, STRING bytes after the string's end).

#include "cli/params_diff.h"

#include <array>
#include <cstdint>
#include <iostream>
#include <nlohmann/json.hpp>
#include <span>
#include <sstream>
#include <vector>

#include "cli/cli_context.h"
#include "cli/json_output.h"
#include "cli/params_commands.h"
#include "files/file_kind.h"
#include "params/catalogue.h"

namespace torv::cli {
namespace {

constexpr int kWrittenCommonWords = 9;  // words 9..11 hold the NG ring state: a write never sends them
constexpr int kCharsPerWord = 2;        // STRING
constexpr std::uint32_t kWholeWord = 0xFFFF;

struct Block {
    ParameterScope scope;
    int bank;
    std::span<const std::int32_t> first;  // the block's words in each file
    std::span<const std::int32_t> second;
};

// The bits of each word of a block that a value line shows.
using ShownBits = std::array<std::uint32_t, kBankWordCount>;

std::vector<Block> BlocksOf(const ParameterSet& a, const ParameterSet& b) {
    std::vector<Block> blocks{{ParameterScope::kCommon, 0, std::span(a.common).first(kWrittenCommonWords),
                               std::span(b.common).first(kWrittenCommonWords)}};
    for (int bank = 0; bank < kBankCount; ++bank) {
        const auto index = static_cast<std::size_t>(bank);
        blocks.push_back({ParameterScope::kBank, bank, a.bank[index], b.bank[index]});
    }
    return blocks;
}

std::string BlockName(const Block& block) {
    return block.scope == ParameterScope::kCommon ? std::string("Common")
                                                  : "Bank " + std::to_string(block.bank);
}

// A STRING line covers all its words: where the texts differ, the bytes after their ends say nothing.
void MarkShown(const ParameterRow& row, ShownBits& shown) {
    const auto word = static_cast<std::size_t>(row.field.word);
    if (row.kind == ParameterKind::kText) {
        for (std::size_t i = 0; i < static_cast<std::size_t>(row.range.max / kCharsPerWord); ++i) {
            shown[word + i] = kWholeWord;
        }
        return;
    }
    shown[word] |= row.field.mask() << row.field.firstBit;
}

Json BankJson(const Block& block) {
    return block.scope == ParameterScope::kCommon ? Json(nullptr) : Json(block.bank);
}

// Collects the parameters of one block whose values differ, as lines of text and as JSON.
int PrintValueDifferences(const ParameterSet& a, const ParameterSet& b, const Block& block, ShownBits& shown,
                          std::ostream& out, Json& json) {
    int differences = 0;
    for (const ParameterRow& row : kParameterCatalogue) {
        if (row.field.scope != block.scope) {
            continue;
        }
        const std::string left = ShownValue(a, block.bank, row);
        const std::string right = ShownValue(b, block.bank, row);
        if (left != right) {
            out << BlockName(block) << ": " << row.key << ": " << left << " | " << right << '\n';
            json.push_back({{"block", BlockName(block)},
                            {"bank", BankJson(block)},
                            {"key", row.key},
                            {"word", nullptr},
                            {"old", left},
                            {"new", right}});
            MarkShown(row, shown);
            ++differences;
        }
    }
    return differences;
}

// Collects the words of one block that differ in bits no value line showed.
int PrintWordDifferences(const Block& block, const ShownBits& shown, std::ostream& out, Json& json) {
    int differences = 0;
    for (std::size_t i = 0; i < block.first.size(); ++i) {
        const auto changed = static_cast<std::uint32_t>(block.first[i] ^ block.second[i]);
        if ((changed & ~shown[i]) != 0) {
            out << BlockName(block) << ": word " << i << ": " << block.first[i] << " -> " << block.second[i]
                << '\n';
            json.push_back({{"block", BlockName(block)},
                            {"bank", BankJson(block)},
                            {"key", nullptr},
                            {"word", i},
                            {"old", block.first[i]},
                            {"new", block.second[i]}});
            ++differences;
        }
    }
    return differences;
}

}  // namespace

int RunParamsDiff(const std::string& name, const std::string& otherName, bool valuesOnly) {
    const auto a = LoadParametersOrSay(name);
    const auto b = a ? LoadParametersOrSay(otherName) : std::nullopt;
    if (!a || !b) {
        return kExitFile;
    }
    std::ostringstream lines;
    Json json = Json::array();
    int differences = 0;
    for (const Block& block : BlocksOf(*a, *b)) {
        ShownBits shown{};
        differences += PrintValueDifferences(*a, *b, block, shown, lines, json);
        if (!valuesOnly) {
            differences += PrintWordDifferences(block, shown, lines, json);
        }
    }
    const std::string first = CommandFileLabel(name, kParameterFile);
    const std::string second = CommandFileLabel(otherName, kParameterFile);
    if (JsonOutput()) {
        PrintJson(Json{{"first", first}, {"second", second}, {"differences", std::move(json)}});
    } else if (differences > 0) {
        std::cout << "--- " << first << '\n' << "+++ " << second << '\n' << lines.str();
    }
    return differences == 0 ? kExitOk : kExitDiffers;
}

}  // namespace torv::cli
