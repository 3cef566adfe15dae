#pragma once
// The dictionary editor's table of 56 slots, numbered 1..56 on screen (index 0..55 here): each holds a
// code (0: the slot is empty; "?": a code not assigned yet) and its dots. Insert and Delete shift the
// slots as the editor's buttons do, the list text shows them all, and a save takes slots 1..n up to
// the last one in use.

#include <array>
#include <span>
#include <string>

#include "dictionary/dot_pattern.h"

namespace torv {

inline constexpr int kNoSlot = -1;
inline constexpr std::uint8_t kEmptyCode = 0;
// The list shows 9 lines per slot: the header, the seven rows, an empty line.
inline constexpr int kListLinesPerSlot = 2 + kGridSize;

// The slot selected when the editor opens on `loaded` characters: the first of the `appended` a read
// has just added, otherwise the last one loaded; kNoSlot when that lies before slot 1.
int InitialSlot(int loaded, int appended);

// A code as the editor shows it: the character itself, or "0x0A" for a code without a printable form
// (control characters), so that no code can break the list's lines. Empty for code 0.
std::string CodeText(std::uint8_t code);
bool IsPrintableCode(std::uint8_t code);

bool DotIsSet(const DotRows& rows, int row, int column);
void SetDot(DotRows& rows, int row, int column, bool set);

class DictionarySlots {
  public:
    using Slots = std::array<DictionaryCharacter, kDictionaryMaxChars>;

    // Every slot empty with no dots, then the characters (the first 56) from slot 1 on.
    void load(std::span<const DictionaryCharacter> characters);

    const DictionaryCharacter& slot(int index) const { return m_slots.at(static_cast<std::size_t>(index)); }
    DictionaryCharacter& slot(int index) { return m_slots.at(static_cast<std::size_t>(index)); }

    // Whether slot 56 holds a character, which an insert would push out.
    bool lastSlotInUse() const { return m_slots.back().code != kEmptyCode; }
    // A new slot at `index` with code "?" and no dots; the slots from there move down one place and
    // slot 56's character is lost.
    void insertAt(int index);
    // Removes slot `index`; the later ones move up and slot 56 becomes empty with no dots. Returns the
    // slot to show afterwards: the one before, when the slot at `index` is now empty and not slot 1.
    int deleteAt(int index);

    // Slots 1..n, n being the last slot in use (empty ones before it included); empty when none is.
    std::span<const DictionaryCharacter> saved() const;

    // Every slot, 9 lines each ("No.%d : %c" or "No.%d", seven rows of "*" and " ", an empty line),
    // lines ending CR LF.
    std::string listText() const;

  private:
    Slots m_slots{};
};

}  // namespace torv
