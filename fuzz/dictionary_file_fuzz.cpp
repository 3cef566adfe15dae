// The dictionary file, as a person may have edited it: at most 56 characters are taken; whatever is
// read (the whole dictionary, or the characters before a broken block) is written and read back as the
// same blocks; the block reader and the loader agree; records carry every character through the
// sensor's form; the editor's slot table holds what was loaded.

#include <algorithm>
#include <cstdint>
#include <span>

#include "dictionary/dictionary_file.h"
#include "dictionary/dictionary_slots.h"
#include "fuzz/fuzz_support.h"

namespace torv::fuzz {
namespace {

// The characters the block reader gives before the end or the first broken block.
std::vector<DictionaryCharacter> ReadBlocks(const std::string& path, BlockRead& last) {
    std::vector<DictionaryCharacter> characters;
    DictionaryReader reader(path);
    DictionaryCharacter character;
    while ((last = reader.next(character)) == BlockRead::kCharacter) {
        characters.push_back(character);
    }
    return characters;
}

void CheckRecordsCarryCharacters(const std::vector<DictionaryCharacter>& characters) {
    for (const DictionaryCharacter& character : characters) {
        for (std::uint8_t row : character.rows) {
            Require(row <= kRowBits, "a row read from a file has 7 bits");
        }
        const DictionaryRecord record = RecordOf(character);
        for (int r = 1; r <= kGridSize; ++r) {
            Require((record[static_cast<std::size_t>(r)] & 0x80) != 0, "every row byte sent has bit 7 set");
        }
        Require(CharacterOfRecord(record) == character, "a record gives back its character");
    }
}

void CheckSlots(const std::vector<DictionaryCharacter>& characters) {
    DictionarySlots slots;
    slots.load(characters);
    const bool anyCode = std::any_of(characters.begin(), characters.end(),
                                     [](const DictionaryCharacter& c) { return c.code != kEmptyCode; });
    Require(slots.saved().size() <= characters.size(), "the editor saves no more slots than it loaded");
    Require(!anyCode || !slots.saved().empty(), "a loaded character with a code is kept");
    (void)slots.listText();
}

}  // namespace
}  // namespace torv::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace torv;
    using namespace torv::fuzz;
    static const std::string input = ScratchPath("input.dic4");
    static const std::string saved = ScratchPath("saved.dic4");
    WriteBytes(input, std::span(data, size));

    const LoadedDictionary loaded = LoadDictionaryFile(input);
    Require(loaded.status != DictionaryStatus::kNotFound, "an existing file is found");
    Require(loaded.characters.size() <= static_cast<std::size_t>(kDictionaryMaxChars),
            "at most 56 are taken");
    BlockRead last = BlockRead::kEnd;
    const std::vector<DictionaryCharacter> blocks = ReadBlocks(input, last);
    const std::size_t taken = std::min(blocks.size(), static_cast<std::size_t>(kDictionaryMaxChars));
    Require(std::equal(loaded.characters.begin(), loaded.characters.end(), blocks.begin(),
                       blocks.begin() + taken) &&
                loaded.characters.size() == taken,
            "the loader takes the block reader's first 56 characters");
    const bool brokenWithinReach = last == BlockRead::kInvalid && blocks.size() < kDictionaryMaxChars;
    Require((loaded.status == DictionaryStatus::kInvalid) == brokenWithinReach,
            "a file is invalid exactly when a block within the first 56 is broken");

    Require(SaveDictionaryFile(saved, loaded.characters), "the characters are saved");
    const LoadedDictionary reloaded = LoadDictionaryFile(saved);
    Require(reloaded.status == DictionaryStatus::kLoaded, "a saved dictionary loads");
    Require(reloaded.characters == loaded.characters, "read, write, read gives the same blocks");
    Require(ReadBytes(saved) == DictionaryFileBytes(loaded.characters), "the file holds the blocks' bytes");

    CheckRecordsCarryCharacters(loaded.characters);
    CheckSlots(loaded.characters);
    return 0;
}
