#include "sim/state_file.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

namespace torv::sim {
namespace {

constexpr int kMaxWordValue = 0xFFFF;
constexpr int kMaxByteValue = 0xFF;

// Splits a line at blanks.
std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t pos = 0;
    while (pos < line.size()) {
        const std::size_t start = line.find_first_not_of(' ', pos);
        if (start == std::string_view::npos) {
            break;
        }
        const std::size_t end = std::min(line.find(' ', start), line.size());
        out.push_back(line.substr(start, end - start));
        pos = end;
    }
    return out;
}

bool ParseNumber(std::string_view text, int low, int high, int& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value >= low && value <= high;
}

bool ParseLine(const std::vector<std::string_view>& f, SensorState& s) {
    int a = 0;
    int b = 0;
    if (f[0] == "rate" && f.size() == 2) {
        return ParseNumber(f[1], 0, kSensorRates.back(), s.rate) && IsSensorRate(s.rate);
    }
    if (f[0] == "version" && f.size() == 2) {
        s.version = std::string(f[1]);
        return IsValidVersion(s.version);
    }
    if (f[0] == "word" && f.size() == 3 && ParseNumber(f[1], 0, kWordCount - 1, a) &&
        ParseNumber(f[2], 0, kMaxWordValue, b)) {
        s.words[a] = static_cast<std::uint16_t>(b);
        return true;
    }
    if (f[0] == "calendar" && f.size() == 3 && ParseNumber(f[1], 0, kCalendarRegisterCount - 1, a) &&
        ParseNumber(f[2], 0, kMaxByteValue, b)) {
        s.calendar[a] = static_cast<std::uint8_t>(b);
        return true;
    }
    if (f[0] == "key" && f.size() == 2 && ParseNumber(f[1], 0, kMaxByteValue, a)) {
        s.keyLog.push_back(static_cast<std::uint8_t>(a));
        return true;
    }
    return false;
}

}  // namespace

std::string FormatState(const SensorState& state) {
    std::ostringstream out;
    out << "rate " << state.rate << '\n' << "version " << state.version << '\n';
    for (std::size_t a = 0; a < state.words.size(); ++a) {
        if (state.words[a] != 0) {
            out << "word " << a << ' ' << state.words[a] << '\n';
        }
    }
    for (std::size_t r = 0; r < state.calendar.size(); ++r) {
        out << "calendar " << r << ' ' << static_cast<int>(state.calendar[r]) << '\n';
    }
    for (std::uint8_t key : state.keyLog) {
        out << "key " << static_cast<int>(key) << '\n';
    }
    return out.str();
}

StateFileResult ParseState(std::string_view text, SensorState& state) {
    SensorState parsed;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = std::min(text.find('\n', pos), text.size());
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        const std::vector<std::string_view> fields = Fields(line);
        if (fields.empty() || fields[0].front() == '#') {
            continue;
        }
        if (!ParseLine(fields, parsed)) {
            return StateFileResult::kInvalid;
        }
    }
    state = std::move(parsed);
    return StateFileResult::kLoaded;
}

StateFileResult LoadStateFile(const std::string& path, SensorState& state) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return StateFileResult::kNotFound;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return ParseState(text.str(), state);
}

StateFileResult SaveStateFile(const std::string& path, const SensorState& state) {
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << FormatState(state);
        out.flush();
        if (!out) {
            std::remove(temporary.c_str());
            return StateFileResult::kCannotCreate;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return StateFileResult::kCannotCreate;
    }
    return StateFileResult::kSaved;
}

}  // namespace torv::sim
