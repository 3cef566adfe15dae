#include "ngdata/ng_summary.h"

#include <charconv>
#include <sstream>

namespace torv {
namespace {

constexpr std::string_view kSavedPrefix = "Saved date/time = ";
constexpr std::string_view kCountPrefix = "Character number = ";
constexpr std::string_view kGapPrefix = "(Gap[N,A]=";

bool ParseNumber(std::string_view text, int& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

// "2 Z (Gap[N,A]=6,91), ...": the numerical and alphabetic characters and their differences; the
// better match is the smaller difference (a tie goes to the alphabetic one, as the sensor judges).
bool ParseCharacterLine(const std::string& line, char& best, int& difference) {
    const std::size_t gap = line.find(kGapPrefix);
    if (gap != 4 || line[1] != ' ' || line[3] != ' ') {
        return false;
    }
    const std::size_t first = gap + kGapPrefix.size();
    const std::size_t comma = line.find(',', first);
    const std::size_t close = line.find(')', first);
    if (comma == std::string::npos || close == std::string::npos || comma > close) {
        return false;
    }
    int numerical = 0;
    int alphabetic = 0;
    if (!ParseNumber(std::string_view(line).substr(first, comma - first), numerical) ||
        !ParseNumber(std::string_view(line).substr(comma + 1, close - comma - 1), alphabetic)) {
        return false;
    }
    const bool numericalIsBest = numerical < alphabetic;
    best = numericalIsBest ? line[0] : line[2];
    difference = numericalIsBest ? numerical : alphabetic;
    return true;
}

}  // namespace

std::optional<NgSummary> SummarizeNgText(const std::string& text) {
    NgSummary summary;
    bool isNgText = false;
    std::istringstream in(text);
    int lineNumber = -1;
    for (std::string line; std::getline(in, line);) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.starts_with(kCountPrefix)) {
            isNgText = true;
            continue;
        }
        if (line.starts_with(kSavedPrefix)) {
            summary.saved = line.substr(kSavedPrefix.size());
            continue;
        }
        char best = 0;
        int difference = 0;
        if (ParseCharacterLine(line, best, difference)) {
            if (summary.worstPosition < 0 || difference > summary.worstDifference) {
                summary.worstPosition = static_cast<int>(summary.characters.size());
                summary.worstDifference = difference;
                summary.worstLine = lineNumber;
            }
            summary.characters.push_back(best);
        }
    }
    if (!isNgText && summary.characters.empty()) {
        return std::nullopt;
    }
    return summary;
}

}  // namespace torv
