#include "app/settings_file.h"

#include <cstddef>
#include <cstdlib>
#include <filesystem>

#include "files/atomic_file.h"
#include "files/file_status.h"
#include "files/text_file.h"
#include "resources/strings.h"

namespace torv {
namespace {

namespace fs = std::filesystem;

// Numbers are taken from the first 9 characters of their line, as the tool's line buffer held them.
constexpr std::size_t kNumberChars = 9;

// A list index read back as "index + 1 = number", where a number of 0 or above `count` becomes 1.
int ClampListIndex(int index, int count) {
    return index >= 0 && index < count ? index : 0;
}

int ClampBaudIndex(int index) {
    return index >= 0 && index <= kUnlistedBaudIndex ? index : kUnlistedBaudIndex;
}

// The number on the next line, or nothing when the file has ended.
bool ReadNumberLine(TextLineReader& reader, int& value) {
    std::string line;
    if (reader.readLine(line) == LineRead::kEnd) {
        return false;
    }
    value = ParseUnsignedDecimal(std::string_view(line).substr(0, kNumberChars));
    return true;
}

}  // namespace

LoaderSettings DefaultSettings() {
    return {};
}

std::string SettingsPathFor(std::string_view programPath) {
    const std::size_t nameStart = programPath.find_last_of("/\\") + 1;  // npos + 1 == 0
    const std::size_t dot = programPath.rfind('.');
    // A dot that starts the file name marks a hidden file, not an extension.
    const bool hasExtension = dot != std::string_view::npos && dot > nameStart;
    std::string path(hasExtension ? programPath.substr(0, dot) : programPath);
    path += ".ini";
    return path;
}

std::string SettingsPathFor(std::string_view programPath, const std::string& configFolder) {
    const std::string beside = SettingsPathFor(programPath);
    if (CanReplaceFile(beside) && FolderAcceptsFiles(fs::path(beside).parent_path().string())) {
        return beside;
    }
    if (FileExists(beside) && CanReplaceFile(beside)) {
        return beside;  // a settings file the user may write, in a folder that takes no new files
    }
    return (fs::path(configFolder) / fs::path(beside).filename()).string();
}

std::string UserConfigFolder() {
#ifdef _WIN32
    const char* appData = std::getenv("APPDATA");
    return (fs::path(appData != nullptr ? appData : ".") / "torv").string();
#else
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config != '\0') {
        return (fs::path(config) / "torv").string();
    }
    const char* home = std::getenv("HOME");
    return (fs::path(home != nullptr ? home : ".") / ".config" / "torv").string();
#endif
}

LoaderSettings ReadSettingsFile(const std::string& path) {
    LoaderSettings settings = DefaultSettings();
    TextLineReader reader(path);
    if (!reader.isOpen()) {
        return settings;
    }
    int value = 0;
    if (ReadNumberLine(reader, value)) {
        settings.comPortIndex = ClampListIndex(value, kListedComPortCount);
    }
    if (ReadNumberLine(reader, value)) {
        settings.baudIndex = ClampBaudIndex(value);
    }
    if (ReadNumberLine(reader, value)) {
        settings.ngDataIndex = ClampListIndex(value, kNgDataCount);
    }
    for (std::string& name : settings.names) {
        std::string line;
        if (reader.readLine(line) == LineRead::kEnd) {
            break;
        }
        // A name line holding the fields' hint (older files kept it) names no file.
        name = line == Text(StringId::kSpecifyFileName) ? std::string() : std::move(line);
    }
    return settings;
}

bool WriteSettingsFile(const std::string& path, const LoaderSettings& settings) {
    std::error_code ignored;
    fs::create_directories(fs::path(path).parent_path(), ignored);
    AtomicFileWriter writer(path);
    if (!writer.isOpen()) {
        return false;
    }
    writer.writeLine(std::to_string(settings.comPortIndex));
    writer.writeLine(std::to_string(settings.baudIndex));
    writer.writeLine(std::to_string(settings.ngDataIndex));
    for (const std::string& name : settings.names) {
        writer.writeLine(name);
    }
    return writer.commit();
}

}  // namespace torv
