// The command an unfinished write's notice gives must work when pasted into the user's shell: a POSIX
// shell on Linux, the command prompt on Windows (whose unit tests run this same table).
#include <gtest/gtest.h>

#include "engine/write_journal.h"

namespace torv {
namespace {

struct RestoreCase {
    const char* name;
    const char* port;
    const char* file;
    const char* posix;
    const char* windows;
    int baudIndex = 4;
    bool dictionary = false;
};

const RestoreCase kRestoreCases[] = {
    {"plain", "COM8", "/data/golden.torv", "torvctl -p COM8 params write /data/golden.torv",
     "torvctl -p COM8 params write /data/golden.torv"},
    {"other rate, dictionary", "COM3", "user.dic4", "torvctl -p COM3 -b 256000 dict write user.dic4",
     "torvctl -p COM3 -b 256000 dict write user.dic4", 6, true},
    {"backslashes", "COM8", "C:\\data\\golden.torv", "torvctl -p COM8 params write 'C:\\data\\golden.torv'",
     "torvctl -p COM8 params write C:\\data\\golden.torv"},
    {"space", "COM8", "C:\\line 3\\bank.torv", "torvctl -p COM8 params write 'C:\\line 3\\bank.torv'",
     "torvctl -p COM8 params write \"C:\\line 3\\bank.torv\""},
    {"trailing backslash", "COM8", "C:\\my folder\\", "torvctl -p COM8 params write 'C:\\my folder\\'",
     "torvctl -p COM8 params write \"C:\\my folder\\\\\""},
    {"quote", "/dev/ttyUSB0", "/data/it's.torv", "torvctl -p /dev/ttyUSB0 params write '/data/it'\\''s.torv'",
     "torvctl -p /dev/ttyUSB0 params write \"/data/it's.torv\""},
};

TEST(RestoreCommand, QuotesWhatTheShellWouldSplitOrExpand) {
    for (const RestoreCase& c : kRestoreCases) {
        UnfinishedWrite write;
        write.port = c.port;
        write.file = c.file;
        write.baudIndex = c.baudIndex;
        write.dictionary = c.dictionary;
#ifdef _WIN32
        EXPECT_EQ(RestoreCommand(write), c.windows) << c.name;
#else
        EXPECT_EQ(RestoreCommand(write), c.posix) << c.name;
#endif
    }
}

}  // namespace
}  // namespace torv
