#include "params/parameter_diff.h"

#include <array>
#include <span>

namespace torv {
namespace {

constexpr std::uint32_t kWholeWord = 0xFFFF;

struct Block {
    ParameterScope scope;
    int bank;
    std::span<const std::int32_t> first;  // the block's words in each set
    std::span<const std::int32_t> second;
};

// The bits of each word of a block that a value difference shows.
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

// A STRING covers all its words: where the texts differ, the bytes after their ends say nothing.
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

void AddValueDifferences(const ParameterSet& a, const ParameterSet& b, const Block& block,
                         const ValueText& valueText, ShownBits& shown,
                         std::vector<ParameterDifference>& out) {
    for (const ParameterRow& row : kParameterCatalogue) {
        if (row.field.scope != block.scope) {
            continue;
        }
        std::string left = valueText(a, block.bank, row);
        std::string right = valueText(b, block.bank, row);
        if (left != right) {
            ParameterDifference difference;
            difference.scope = block.scope;
            difference.bank = block.bank;
            difference.row = &row;
            difference.first = std::move(left);
            difference.second = std::move(right);
            difference.word = row.field.word;
            out.push_back(std::move(difference));
            MarkShown(row, shown);
        }
    }
}

void AddWordDifferences(const Block& block, const ShownBits& shown, std::vector<ParameterDifference>& out) {
    for (std::size_t i = 0; i < block.first.size(); ++i) {
        const auto changed = static_cast<std::uint32_t>(block.first[i] ^ block.second[i]);
        if ((changed & ~shown[i]) != 0) {
            ParameterDifference difference;
            difference.scope = block.scope;
            difference.bank = block.bank;
            difference.word = static_cast<int>(i);
            difference.firstWord = block.first[i];
            difference.secondWord = block.second[i];
            out.push_back(std::move(difference));
        }
    }
}

}  // namespace

std::vector<ParameterDifference> DiffParameterSets(const ParameterSet& first, const ParameterSet& second,
                                                   const ValueText& valueText, bool valuesOnly) {
    std::vector<ParameterDifference> differences;
    for (const Block& block : BlocksOf(first, second)) {
        ShownBits shown{};
        AddValueDifferences(first, second, block, valueText, shown, differences);
        if (!valuesOnly) {
            AddWordDifferences(block, shown, differences);
        }
    }
    return differences;
}

std::string BlockName(ParameterScope scope, int bank) {
    return scope == ParameterScope::kCommon ? std::string("Common") : "Bank " + std::to_string(bank);
}

std::string DifferenceSubject(const ParameterDifference& d) {
    return BlockName(d.scope, d.bank) + ": " +
           (d.row != nullptr ? std::string(d.row->key) : "word " + std::to_string(d.word));
}

std::string FirstValueText(const ParameterDifference& d) {
    return d.row != nullptr ? d.first : std::to_string(d.firstWord);
}

std::string SecondValueText(const ParameterDifference& d) {
    return d.row != nullptr ? d.second : std::to_string(d.secondWord);
}

}  // namespace torv
