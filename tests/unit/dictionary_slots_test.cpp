// The editor's slot table (the slot it opens on, Insert and Delete at the ends, what a save takes, the
// list text) and the appender the character reads use (what it refuses before the first exchange).

#include <gtest/gtest.h>

#include <filesystem>

#include "dictionary/dictionary_append.h"
#include "dictionary/dictionary_file.h"
#include "dictionary/dictionary_slots.h"
#include "tests/support/ordinary_user.h"
#include "tests/support/temp_dir.h"

namespace torv {
namespace {

DictionaryCharacter Character(char code, std::uint8_t firstRow = 0) {
    return {static_cast<std::uint8_t>(code), {firstRow, 0, 0, 0, 0, 0, 0}};
}

TEST(DictionarySlots, InitialSlotIsTheFirstAppendedOrTheLastLoaded) {
    const struct {
        int loaded;
        int appended;
        int slot;
    } cases[] = {{10, 4, 6}, {10, 0, 9}, {0, 0, kNoSlot}, {3, 5, kNoSlot}, {4, 4, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(InitialSlot(c.loaded, c.appended), c.slot) << c.loaded << ' ' << c.appended;
    }
}

// The ends the editor's test does not reach: Insert at the last slot replaces it; Delete of slot 1 pulls
// the rest up and leaves slot 56 empty.
TEST(DictionarySlots, InsertAndDeleteAtTheEndsKeep56) {
    DictionarySlots slots;
    std::vector<DictionaryCharacter> full;
    for (int i = 0; i < kDictionaryMaxChars; ++i) {
        full.push_back(Character(static_cast<char>('0' + i % 40), static_cast<std::uint8_t>(i)));
    }
    slots.load(full);
    slots.insertAt(55);
    EXPECT_EQ(slots.slot(55), Character('?'));
    EXPECT_EQ(slots.slot(54), full[54]);
    EXPECT_EQ(slots.deleteAt(0), 0);
    EXPECT_EQ(slots.slot(0), full[1]);
    EXPECT_EQ(slots.slot(54), Character('?'));
    EXPECT_EQ(slots.slot(55), DictionaryCharacter{});
    EXPECT_EQ(slots.saved().size(), 55U);
}

// A save takes slots 1..n up to the last one in use, an empty slot before it included (as code 0,
// which reads back as the same empty slot).
TEST(DictionarySlots, SaveTakesEverySlotUpToTheLastInUse) {
    test::TempDir folder;
    DictionarySlots slots;
    slots.load(std::vector{Character('A', 0x40), Character('B'), Character('C', 0x01)});
    slots.slot(1).code = kEmptyCode;
    ASSERT_EQ(slots.saved().size(), 3U);
    ASSERT_TRUE(SaveDictionaryFile(folder.file("d.dic4"), slots.saved()));
    const LoadedDictionary loaded = LoadDictionaryFile(folder.file("d.dic4"));
    EXPECT_EQ(loaded.status, DictionaryStatus::kLoaded);
    EXPECT_EQ(loaded.characters,
              (std::vector<DictionaryCharacter>(slots.saved().begin(), slots.saved().end())));
    slots.load({});
    EXPECT_TRUE(slots.saved().empty());
}

// Nine lines a slot; a code without a printable form shows as its number, so no line breaks early.
TEST(DictionarySlots, ListTextShowsEverySlotInNineLines) {
    DictionarySlots slots;
    slots.load(std::vector{Character('A', 0x41), Character('\n'), Character('\xE9')});
    const std::string text = slots.listText();
    EXPECT_EQ(text.substr(0, 37), "No.1 : A\r\n*     *\r\n       \r\n       \r\n");
    EXPECT_NE(text.find("\r\n\r\nNo.2 : 0x0A\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n\r\nNo.3 : \xE9\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n\r\nNo.4\r\n       \r\n"), std::string::npos);
    std::size_t lines = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) {
        ++lines;
    }
    EXPECT_EQ(lines, 56U * kListLinesPerSlot);
    EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1);  // no bare line end anywhere
}

// What cannot take blocks is refused before the first exchange, saying why; a file that lacks its
// last line end gets one before the first block.
TEST(DictionaryAppender, RefusesEarlyAndStartsBlocksOnALineOfTheirOwn) {
    test::TempDir folder;
    DictionaryAppender missingFolder(folder.file("gone/x.dic4"));
    EXPECT_FALSE(missingFolder.canAppend());
    EXPECT_EQ(missingFolder.failureText(), "The folder " + folder.file("gone") + " does not exist.");
    test::WriteFileBytes(folder.file("hand.dic4"), "A\r\n      *");
    DictionaryAppender appender(folder.file("hand.dic4"));
    ASSERT_TRUE(appender.canAppend());
    ASSERT_TRUE(appender.append("B\r\n"));
    EXPECT_EQ(test::ReadFileBytes(folder.file("hand.dic4")), "A\r\n      *\r\nB\r\n");

    namespace fs = std::filesystem;
    fs::permissions(folder.path(), fs::perms::all);
    const std::string readOnly = folder.file("ro.dic4");
    test::WriteFileBytes(readOnly, "");
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_TRUE(test::AsOrdinaryUser([&] {
        DictionaryAppender appender(readOnly);
        return !appender.canAppend() && appender.failureText() == readOnly + " is read-only." &&
               DictionaryAppender(folder.file("new.dic4")).canAppend();
    }));
}

}  // namespace
}  // namespace torv
