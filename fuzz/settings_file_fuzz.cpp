// The settings file beside the program, as a person or a crash may have left it: whatever it holds,
// the three selections come back within their lists, no name holds a line end, and what is read,
// written and read again is the same.

#include <cstdint>
#include <span>

#include "app/settings_file.h"
#include "files/text_file.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace torv;
    using namespace torv::fuzz;
    static const std::string input = ScratchPath("input.ini");
    static const std::string saved = ScratchPath("saved.ini");
    WriteBytes(input, std::span(data, size));

    const LoaderSettings settings = ReadSettingsFile(input);
    Require(settings.comPortIndex >= 0 && settings.comPortIndex < kListedComPortCount,
            "the COM port is one of the list's");
    Require(settings.baudIndex >= 0 && settings.baudIndex <= kUnlistedBaudIndex, "the baud index is 0..6");
    Require(settings.ngDataIndex >= 0 && settings.ngDataIndex < kNgDataCount,
            "the NG data number is one of the list's");
    for (const std::string& name : settings.names) {
        Require(name.find('\n') == std::string::npos, "a name holds no line end");
    }

    Require(WriteSettingsFile(saved, settings), "the settings are written");
    const LoaderSettings reread = ReadSettingsFile(saved);
    Require(reread.comPortIndex == settings.comPortIndex && reread.baudIndex == settings.baudIndex &&
                reread.ngDataIndex == settings.ngDataIndex && reread.names == settings.names,
            "read, write, read gives the same settings");
    return 0;
}
