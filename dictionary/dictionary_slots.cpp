#include "dictionary/dictionary_slots.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "dictionary/dictionary_file.h"
#include "files/text_file.h"

namespace torv {
namespace {

constexpr std::uint8_t kFirstPrintable = 0x20;
constexpr std::uint8_t kDelete = 0x7F;
constexpr std::uint8_t kLastControl = 0x9F;  // 0x80..0x9F have no printable form either

}  // namespace

int InitialSlot(int loaded, int appended) {
    const int slot = appended != 0 ? loaded - appended : loaded - 1;
    return slot >= 0 ? slot : kNoSlot;
}

bool IsPrintableCode(std::uint8_t code) {
    return code >= kFirstPrintable && (code < kDelete || code > kLastControl);
}

std::string CodeText(std::uint8_t code) {
    if (code == kEmptyCode) {
        return {};
    }
    if (IsPrintableCode(code)) {
        return std::string(1, static_cast<char>(code));
    }
    std::array<char, 8> text{};
    std::snprintf(text.data(), text.size(), "0x%02X", code);
    return text.data();
}

bool DotIsSet(const DotRows& rows, int row, int column) {
    return (rows.at(static_cast<std::size_t>(row - 1)) & ColumnBit(column)) != 0;
}

void SetDot(DotRows& rows, int row, int column, bool set) {
    std::uint8_t& bits = rows.at(static_cast<std::size_t>(row - 1));
    bits = static_cast<std::uint8_t>(set ? bits | ColumnBit(column) : bits & ~ColumnBit(column));
}

void DictionarySlots::load(std::span<const DictionaryCharacter> characters) {
    m_slots = {};
    std::copy_n(characters.begin(), std::min(characters.size(), m_slots.size()), m_slots.begin());
}

void DictionarySlots::insertAt(int index) {
    const auto at = m_slots.begin() + index;
    std::move_backward(at, m_slots.end() - 1, m_slots.end());
    *at = DictionaryCharacter{static_cast<std::uint8_t>(kUnassignedCode), {}};
}

int DictionarySlots::deleteAt(int index) {
    const auto at = m_slots.begin() + index;
    std::move(at + 1, m_slots.end(), at);
    m_slots.back() = DictionaryCharacter{};
    return slot(index).code == kEmptyCode && index > 0 ? index - 1 : index;
}

std::span<const DictionaryCharacter> DictionarySlots::saved() const {
    const auto last = std::find_if(m_slots.rbegin(), m_slots.rend(),
                                   [](const DictionaryCharacter& c) { return c.code != kEmptyCode; });
    return std::span<const DictionaryCharacter>(m_slots).first(
        static_cast<std::size_t>(m_slots.rend() - last));
}

std::string DictionarySlots::listText() const {
    std::string text;
    for (std::size_t i = 0; i < m_slots.size(); ++i) {
        const DictionaryCharacter& c = m_slots[i];
        text += "No." + std::to_string(i + 1);
        if (c.code != kEmptyCode) {
            text += " : " + CodeText(c.code);
        }
        text += kLineEnd;
        for (int row = 1; row <= kGridSize; ++row) {
            for (int column = 1; column <= kGridSize; ++column) {
                text += DotIsSet(c.rows, row, column) ? '*' : ' ';
            }
            text += kLineEnd;
        }
        text += kLineEnd;
    }
    return text;
}

}  // namespace torv
