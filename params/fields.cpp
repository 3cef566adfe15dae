#include "params/fields.h"

#include <algorithm>
#include <cstdio>

#include "files/text_file.h"

namespace torv {
namespace {

constexpr int kCharBits = 8;
constexpr std::uint32_t kCharMask = 0xFF;
constexpr std::uint32_t kWordMask = 0xFFFF;

// The common words the editor owns: those that hold a parameter or a fixed bit. They are rebuilt from
// zero; every other common word passes through as read.
constexpr std::array<bool, kCommonWordCount> kRebuiltCommonWords = [] {
    std::array<bool, kCommonWordCount> rebuilt{};
    for (const ParameterRow& row : kParameterCatalogue) {
        if (row.field.scope == ParameterScope::kCommon) {
            rebuilt[row.field.word] = true;
        }
    }
    for (const BitField& field : kFixedBits) {
        if (field.scope == ParameterScope::kCommon) {
            rebuilt[field.word] = true;
        }
    }
    return rebuilt;
}();

// The words of the common block and of one bank, read-only or to be rebuilt.
template <typename Word>
struct WordView {
    std::span<Word, kCommonWordCount> common;
    std::span<Word, kBankWordCount> bank;

    Word& at(const BitField& field, int offset = 0) const {
        return field.scope == ParameterScope::kCommon ? common[field.word + offset]
                                                      : bank[field.word + offset];
    }
};

std::uint32_t Extract(std::int32_t word, const BitField& field) {
    return (static_cast<std::uint32_t>(word) >> field.firstBit) & field.mask();
}

void Insert(std::int32_t& word, const BitField& field, std::uint32_t value) {
    const std::uint32_t bits = (value & field.mask()) << field.firstBit;
    word = static_cast<std::int32_t>(static_cast<std::uint32_t>(word) | bits);
}

std::int32_t DecodeNumber(std::int32_t word, const ParameterRow& row) {
    // A field that fills its word is shown as held, so an odd value read from a file stays visible.
    const std::int64_t raw =
        row.field.fillsWord() ? word : static_cast<std::int64_t>(Extract(word, row.field));
    return static_cast<std::int32_t>(raw - row.range.bias);
}

std::string DecodeText(const WordView<const std::int32_t>& words, const ParameterRow& row) {
    std::string text;
    const int wordCount = (row.range.max + 1) / kCharsPerWord;
    for (int k = 0; k < wordCount; ++k) {
        const auto word = static_cast<std::uint32_t>(words.at(row.field, k));
        for (int half = 0; half < kCharsPerWord; ++half) {
            const auto code = static_cast<char>((word >> (half * kCharBits)) & kCharMask);
            if (code == '\0' || static_cast<std::int32_t>(text.size()) >= row.range.max) {
                return text;
            }
            text += code;
        }
    }
    return text;
}

FieldValue Decode(const WordView<const std::int32_t>& words, const ParameterRow& row) {
    switch (row.kind) {
        case ParameterKind::kList:
            return static_cast<std::int32_t>(Extract(words.at(row.field), row.field));
        case ParameterKind::kNumber:
            return DecodeNumber(words.at(row.field), row);
        case ParameterKind::kText:
            return DecodeText(words, row);
    }
    return std::int32_t{0};
}

WordView<const std::int32_t> ViewOf(const ParameterSet& set, int bank) {
    static constexpr BankWords kNoBank{};
    return {set.common, IsValidBank(bank) ? set.bank[static_cast<std::size_t>(bank)] : kNoBank};
}

void StoreText(const WordView<std::int32_t>& words, const ParameterRow& row, std::string_view text) {
    // Everything after the first zero character is zero, whatever the text holds beyond it.
    const std::string_view stored =
        text.substr(0, std::min(text.find('\0'), static_cast<std::size_t>(row.range.max)));
    for (std::size_t i = 0; i < stored.size(); ++i) {
        const auto code = static_cast<std::uint32_t>(static_cast<unsigned char>(stored[i]));
        std::int32_t& word = words.at(row.field, static_cast<int>(i / kCharsPerWord));
        word = static_cast<std::int32_t>(static_cast<std::uint32_t>(word) |
                                         code << (i % kCharsPerWord * kCharBits));
    }
}

void StoreField(const WordView<std::int32_t>& words, const WordView<const std::int32_t>& before,
                const ParameterRow& row, const FieldInput& input) {
    switch (row.kind) {
        case ParameterKind::kList: {
            const bool keep = input.index < 0;
            Insert(words.at(row.field), row.field,
                   keep ? Extract(before.at(row.field), row.field) : static_cast<std::uint32_t>(input.index));
            break;
        }
        case ParameterKind::kNumber: {
            const std::int32_t value = ClampNumber(input.text, row.range) + row.range.bias;
            Insert(words.at(row.field), row.field, static_cast<std::uint32_t>(value) & kWordMask);
            break;
        }
        case ParameterKind::kText:
            StoreText(words, row, input.text);
            break;
    }
}

}  // namespace

std::int32_t ClampNumber(std::string_view text, const NumberRange& range) {
    const std::int32_t value = ParseUnsignedDecimal(text);
    if (value < range.min) {
        return range.storedBelow;
    }
    if (value > range.max) {
        return range.storedAbove;
    }
    return value;
}

FieldValue DecodeField(const ParameterSet& set, int bank, const ParameterRow& row) {
    return Decode(ViewOf(set, bank), row);
}

std::optional<FieldValue> DecodeField(const ParameterSet& set, int bank, std::string_view key) {
    const ParameterRow* row = FindParameter(key);
    if (row == nullptr || !IsValidBank(bank)) {
        return std::nullopt;
    }
    return DecodeField(set, bank, *row);
}

std::string FieldValueText(const ParameterSet& set, int bank, const ParameterRow& row) {
    const FieldValue value = DecodeField(set, bank, row);
    if (const auto* text = std::get_if<std::string>(&value)) {
        return *text;
    }
    const std::int32_t number = std::get<std::int32_t>(value);
    if (row.kind == ParameterKind::kList) {
        return std::string(ListEntry(row, number));
    }
    return std::to_string(number);
}

FieldInputs ReadFieldInputs(const ParameterSet& set, int bank) {
    FieldInputs inputs;
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        const ParameterRow& row = kParameterCatalogue[i];
        if (row.kind == ParameterKind::kList) {
            const auto index = std::get<std::int32_t>(DecodeField(set, bank, row));
            const bool hasEntry = static_cast<std::size_t>(index) < row.list.size();
            inputs[i].index = hasEntry ? index : FieldInput::kNoEntry;
        } else {
            inputs[i].text = FieldValueText(set, bank, row);
        }
    }
    return inputs;
}

bool StoreBank(ParameterSet& set, int bank, const FieldInputs& inputs) {
    if (!IsValidBank(bank)) {
        return false;
    }
    BankWords& bankWords = set.bank[static_cast<std::size_t>(bank)];
    const CommonWords commonBefore = set.common;
    const BankWords bankBefore = bankWords;
    for (int word = 0; word < kCommonWordCount; ++word) {
        if (kRebuiltCommonWords[word]) {
            set.common[word] = 0;
        }
    }
    bankWords.fill(0);

    const WordView<std::int32_t> words{set.common, bankWords};
    const WordView<const std::int32_t> before{commonBefore, bankBefore};
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        StoreField(words, before, kParameterCatalogue[i], inputs[i]);
    }
    for (const BitField& field : kFixedBits) {
        Insert(words.at(field), field, field.mask());
    }
    return true;
}

}  // namespace torv
