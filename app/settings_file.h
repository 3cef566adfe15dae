#pragma once
// The settings file beside the program file: the main window's three list selections and its four
// file names, seven lines, restored at start and written at "Exit".

#include <array>
#include <string>
#include <string_view>

namespace torv {

// The Filename fields the settings file keeps, in the order of its lines 4 to 7.
enum SettingsName : int {
    kParameterName = 0,   // field 1002
    kMonitorName = 1,     // field 1027
    kDictionaryName = 2,  // field 1009
    kNgDataName = 3,      // field 1019
    kSettingsNameCount = 4,
};

inline constexpr int kListedComPortCount = 9;
inline constexpr int kNgDataCount = 30;
// The baud index a damaged settings file falls back to. It names no entry of the main window's list,
// so the window starts with no rate selected.
inline constexpr int kUnlistedBaudIndex = 6;

// The list selections as indexes (-1: nothing selected) and the four names as the bytes of the
// fields' texts.
struct LoaderSettings {
    int comPortIndex = 0;  // COM port number - 1
    int baudIndex = 4;     // 57600
    int ngDataIndex = 0;   // NG data number - 1
    std::array<std::string, kSettingsNameCount> names;
};

// The settings a first start uses: COM1, 57600, NG data number 1, and empty names (the fields then
// show the hint "Please specify file name.").
LoaderSettings DefaultSettings();

// The program file's path with the extension of its file name replaced by "ini" ("X.exe" -> "X.ini");
// a file name without extension gets ".ini" appended. Dots in folder names are not extensions.
std::string SettingsPathFor(std::string_view programPath);

// Where the settings live: beside the program (SettingsPathFor) when that folder takes files, so a copy
// unpacked anywhere keeps its settings with it; otherwise, as for an installed program, the same file
// name in `configFolder` (normally $XDG_CONFIG_HOME/torv).
std::string SettingsPathFor(std::string_view programPath, const std::string& configFolder);

// $XDG_CONFIG_HOME/torv (~/.config/torv), or %APPDATA%\torv on Windows.
std::string UserConfigFolder();

// Reads the settings file; a missing file gives the defaults, and so does each line missing from a
// short file. Out-of-range numbers are clamped the way the tool always has: COM port and NG data
// number to their first entry, the baud index to kUnlistedBaudIndex.
LoaderSettings ReadSettingsFile(const std::string& path);

// Writes the seven lines (CR LF) through a temporary file, making its folder when needed; false when
// the file could not be written, in which case a previous settings file is left as it was.
bool WriteSettingsFile(const std::string& path, const LoaderSettings& settings);

}  // namespace torv
