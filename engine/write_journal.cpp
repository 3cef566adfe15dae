#include "engine/write_journal.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string_view>

#include "files/atomic_file.h"
#include "files/ctime_text.h"
#include "files/text_file.h"
#include "link/frames.h"
#include "link/port_names.h"

namespace torv {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kDeviceKey = "device";
constexpr std::string_view kPortKey = "port";
constexpr std::string_view kBaudKey = "baud";
constexpr std::string_view kKindKey = "kind";
constexpr std::string_view kFileKey = "file";
constexpr std::string_view kStartedKey = "started";
constexpr std::string_view kDictionaryKind = "dictionary";
constexpr std::string_view kParametersKind = "parameters";
constexpr std::size_t kNoteLineChars = 4096;

// Two devices whose names differ only in the characters a file name cannot hold still get notes of
// their own: the name ends in a hash of the whole device name.
std::uint32_t NameHash(std::string_view text) {
    std::uint32_t hash = 2166136261U;  // FNV-1a
    for (char c : text) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619U;
    }
    return hash;
}

fs::path NotePath(const std::string& device) {
    std::string name;
    for (char c : device) {
        name += std::isalnum(static_cast<unsigned char>(c)) != 0 ? c : '_';
    }
    constexpr std::string_view kDigits = "0123456789abcdef";
    std::string suffix = "-";
    for (std::uint32_t hash = NameHash(device), i = 0; i < 8; ++i, hash >>= 4) {
        suffix += kDigits[hash & 0xF];
    }
    return fs::path(JournalFolder()) / (name.substr(name.size() > 64 ? name.size() - 64 : 0) + suffix);
}

int RateOf(int baudIndex) {
    return kBaudRates[static_cast<std::size_t>(std::clamp(baudIndex, 0, kBaudIndexCount - 1))];
}

std::string NowText() {
    std::string text = LocalCtimeText(static_cast<std::int64_t>(std::time(nullptr)));
    if (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    return text;
}

// A word of a command as the user's shell takes it: as it stands when it holds nothing the shell treats
// specially, else quoted: in single quotes for a POSIX shell; on Windows in double quotes, as the
// command prompt and the C runtime read them (a path there holds no '"'; backslashes before the
// closing quote are doubled, so that they stay backslashes).
std::string ShellWord(const std::string& word) {
#ifdef _WIN32
    const bool plain = !word.empty() && word.find_first_not_of(
                                            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                            "0123456789_./:@+=,-\\") == std::string::npos;
    if (plain) {
        return word;
    }
    const std::size_t trailing = word.size() - (word.find_last_not_of('\\') + 1);
    return '"' + word + std::string(trailing, '\\') + '"';
#else
    const bool plain = !word.empty() && word.find_first_not_of(
                                            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                            "0123456789_./:@%+=,-") == std::string::npos;
    if (plain) {
        return word;
    }
    std::string quoted = "'";
    for (char c : word) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
#endif
}

void TakeLine(const std::string& line, UnfinishedWrite& write, bool& ownDevice, const std::string& device) {
    const std::size_t space = line.find(' ');
    const std::string_view key = std::string_view(line).substr(0, space);
    const std::string value = space == std::string::npos ? std::string() : line.substr(space + 1);
    if (key == kDeviceKey) {
        ownDevice = value == device;
    } else if (key == kPortKey) {
        write.port = value;
    } else if (key == kBaudKey) {
        int rate = 0;
        std::from_chars(value.data(), value.data() + value.size(), rate);
        write.baudIndex = BaudIndexOfRate(rate) >= 0 ? BaudIndexOfRate(rate) : kDefaultBaudIndex;
    } else if (key == kKindKey) {
        write.dictionary = value == kDictionaryKind;
    } else if (key == kFileKey) {
        write.file = value;
    } else if (key == kStartedKey) {
        write.started = value;
    }
}

}  // namespace

std::string JournalFolder() {
    const std::string config = ConfigFolder();
    return config.empty() ? std::string() : (fs::path(config) / "journal").string();
}

UnfinishedWrite WriteOfRun(const OperationState& state) {
    UnfinishedWrite write;
    write.device = CanonicalDevicePath(ComPortDevicePath(state.ComPortNumber));
    write.port = ComPortName(state.ComPortNumber);
    write.baudIndex = state.BaudIndex;
    write.dictionary = state.OperationCode == kWriteDictionary;
    std::error_code error;
    const fs::path file = fs::absolute(state.OperationFilePath, error);
    write.file = (error ? fs::path(state.OperationFilePath) : file.lexically_normal()).string();
    write.started = NowText();
    return write;
}

bool NoteWriteStarted(const UnfinishedWrite& write) {
    if (JournalFolder().empty()) {
        return false;
    }
    std::error_code error;
    fs::create_directories(JournalFolder(), error);
    AtomicFileWriter note(NotePath(write.device).string());
    if (!note.isOpen()) {
        return false;
    }
    note.writeLine(std::string(kDeviceKey) + ' ' + write.device);
    note.writeLine(std::string(kPortKey) + ' ' + write.port);
    note.writeLine(std::string(kBaudKey) + ' ' + std::to_string(RateOf(write.baudIndex)));
    note.writeLine(std::string(kKindKey) + ' ' +
                   std::string(write.dictionary ? kDictionaryKind : kParametersKind));
    note.writeLine(std::string(kFileKey) + ' ' + write.file);
    note.writeLine(std::string(kStartedKey) + ' ' + write.started);
    return note.commit();
}

void ClearWriteNote(const std::string& device) {
    if (JournalFolder().empty()) {
        return;
    }
    std::error_code error;
    fs::remove(NotePath(device), error);
}

std::optional<UnfinishedWrite> FindUnfinishedWrite(int portNumber) {
    const std::string device = CanonicalDevicePath(ComPortDevicePath(portNumber));
    if (JournalFolder().empty()) {
        return std::nullopt;
    }
    TextLineReader reader(NotePath(device).string());
    if (!reader.isOpen()) {
        return std::nullopt;
    }
    UnfinishedWrite write;
    write.device = device;
    write.port = ComPortName(portNumber);
    bool ownDevice = false;
    std::string line;
    while (reader.readLine(line, kNoteLineChars) != LineRead::kEnd) {
        TakeLine(line, write, ownDevice, device);
    }
    if (!ownDevice) {  // another device's note under the same hash: not ours to speak of
        return std::nullopt;
    }
    return write;
}

std::string RestoreCommand(const UnfinishedWrite& write) {
    std::string command = "torvctl -p " + ShellWord(write.port);
    if (write.baudIndex != kDefaultBaudIndex) {
        command += " -b " + std::to_string(RateOf(write.baudIndex));
    }
    return command + (write.dictionary ? " dict write " : " params write ") + ShellWord(write.file);
}

std::string UnfinishedWriteNotice(const UnfinishedWrite& write) {
    const std::string what = write.dictionary ? "expansion dictionary" : "parameter set";
    return "The last write to the sensor on " + write.port + " did not finish: " + write.file +
           " was being written into its " + what + (write.started.empty() ? "" : " on " + write.started) +
           ", and the sensor may still hold a partly written " + what +
           " that it has not stored. To restore it, write that file again: " + RestoreCommand(write);
}

}  // namespace torv
