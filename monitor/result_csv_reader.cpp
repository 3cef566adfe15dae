#include "monitor/result_csv_reader.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "files/file_status.h"

namespace torv {
namespace {

constexpr int kGroups = 3;              // best, numerical, alphabetic
constexpr int kLeastDifference = -128;  // a signed byte
constexpr int kGreatestDifference = 127;

// A record that is not what the monitor writes: where reading it stopped and why.
struct RecordFault {
    std::size_t at;
    std::string reason;
};

class RecordParser {
  public:
    explicit RecordParser(std::string_view text, std::size_t at) : m_text(text), m_at(at) {}

    std::size_t at() const { return m_at; }
    bool atEnd() const { return m_at >= m_text.size(); }

    bool take(std::string_view expected) {
        if (m_text.substr(m_at, expected.size()) != expected) {
            return false;
        }
        m_at += expected.size();
        return true;
    }

    // CR LF as the monitor writes it; a lone LF as a copy through a Unix tool leaves it.
    bool takeLineEnd() { return take("\r\n") || take("\n"); }

    std::optional<int> takeNumber() {
        int value = 0;
        const char* start = m_text.data() + m_at;
        const auto [end, error] = std::from_chars(start, m_text.data() + m_text.size(), value);
        if (error != std::errc{} || end == start) {
            return std::nullopt;
        }
        m_at += static_cast<std::size_t>(end - start);
        return value;
    }

    // One character item: a newline character is written as a line end.
    std::optional<char> takeCharacter() {
        if (take("\r\n")) {
            return '\n';
        }
        if (atEnd() || m_text[m_at] == '\n') {
            return std::nullopt;
        }
        return m_text[m_at++];
    }

    std::string_view restOfLine() {
        const std::size_t end = std::min(m_text.find('\n', m_at), m_text.size());
        std::string_view line = m_text.substr(m_at, end - m_at);
        m_at = end;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
            --m_at;
        }
        return line;
    }

  private:
    std::string_view m_text;
    std::size_t m_at;
};

int CodeOf(std::string_view text) {
    if (text == "OK") {
        return kJudgedOk;
    }
    if (text == "NG") {
        return kJudgedNg;
    }
    return text == "--" ? kJudgedOther : kNoNewJudgement;
}

// "OK,3,Dec 05 2026 22:11:46.123": the judgement, the number of characters and the time.
std::optional<RecordFault> ParseHeader(RecordParser& parser, Judgement& judgement, std::string& time,
                                       int& count) {
    const std::size_t start = parser.at();
    const std::string_view line = parser.restOfLine();
    const std::size_t first = line.find(',');
    const std::size_t second = first == std::string_view::npos ? first : line.find(',', first + 1);
    judgement.code = CodeOf(line.substr(0, first));
    if (second == std::string_view::npos || judgement.code == kNoNewJudgement) {
        return RecordFault{start, "not the start of a judgement (OK, NG or --, the count, the time)"};
    }
    const std::string_view countText = line.substr(first + 1, second - first - 1);
    const auto [end, error] = std::from_chars(countText.data(), countText.data() + countText.size(), count);
    if (error != std::errc{} || end != countText.data() + countText.size() || count < 0 ||
        count > kMaxJudgedCharacters) {
        return RecordFault{start, "the number of characters is not 0 to 255"};
    }
    time = std::string(line.substr(second + 1));
    if (!parser.takeLineEnd()) {
        return RecordFault{parser.at(), "the record ends early"};
    }
    return std::nullopt;
}

// Three groups of `count` items, each followed by a comma, the groups parted by " ," and the line ended.
// `wrong` says what the line should have held.
template <typename Item, typename Take>
std::optional<RecordFault> ParseGroups(RecordParser& parser, int count, const std::string& wrong,
                                       Take takeItem, std::array<std::vector<Item>, kGroups>& groups) {
    const auto fault = [&](std::size_t at) {
        return RecordFault{at, parser.atEnd() ? std::string("the record ends early") : wrong};
    };
    for (int group = 0; group < kGroups; ++group) {
        for (int i = 0; i < count; ++i) {
            const std::size_t itemStart = parser.at();
            const std::optional<Item> item = takeItem(parser);
            if (!item || !parser.take(",")) {
                return fault(itemStart);
            }
            groups[static_cast<std::size_t>(group)].push_back(*item);
        }
        const bool last = group == kGroups - 1;
        if (last ? !parser.takeLineEnd() : !parser.take(" ,")) {
            return fault(parser.at());
        }
    }
    return std::nullopt;
}

std::optional<RecordFault> ParseRecord(RecordParser& parser, Judgement& judgement, std::string& time) {
    int count = 0;
    if (auto fault = ParseHeader(parser, judgement, time, count)) {
        return fault;
    }
    std::array<std::vector<char>, kGroups> characters;
    auto takeCharacter = [](RecordParser& p) { return p.takeCharacter(); };
    const std::string counted = std::to_string(count);
    if (auto fault = ParseGroups(parser, count,
                                 "the character line does not hold the " + counted + " characters announced",
                                 takeCharacter, characters)) {
        return fault;
    }
    const std::size_t differencesStart = parser.at();
    std::array<std::vector<int>, kGroups> differences;
    auto takeDifference = [](RecordParser& p) -> std::optional<int> {
        const std::optional<int> value = p.takeNumber();
        if (!value || *value < kLeastDifference || *value > kGreatestDifference) {
            return std::nullopt;
        }
        return value;
    };
    if (auto fault = ParseGroups(
            parser, count,
            "the difference line does not hold the " + counted + " numbers (-128 to 127) announced",
            takeDifference, differences)) {
        return fault;
    }
    judgement.characters.clear();
    for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
        const JudgedCharacter c{characters[1][i], characters[2][i], differences[1][i], differences[2][i]};
        if (c.best() != characters[0][i] || c.bestDifference() != differences[0][i]) {
            return RecordFault{differencesStart, "the best characters do not match their differences"};
        }
        judgement.characters.push_back(c);
    }
    return std::nullopt;
}

// Where the line after the one holding `at` starts (the end when there is none).
std::size_t NextLine(std::string_view text, std::size_t at) {
    const std::size_t newline = text.find('\n', at);
    return newline == std::string_view::npos ? text.size() : newline + 1;
}

int LineNumber(std::string_view text, std::size_t at) {
    const std::size_t end = std::min(at, text.size());
    return 1 +
           static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(end), '\n'));
}

// "run-0002.csv" -> ("run", 2); any other name -> (its stem, a number after every aside part).
std::pair<std::string, long> LogPlace(const std::string& path) {
    constexpr std::size_t kAsideDigits = 4;
    constexpr long kCurrentLog = 0x7FFFFFFF;
    const std::filesystem::path name(path);
    const std::string stem = (name.parent_path() / name.stem()).string();
    const std::size_t dash = stem.rfind('-');
    if (dash != std::string::npos && stem.size() - dash - 1 >= kAsideDigits &&
        std::all_of(stem.begin() + static_cast<std::ptrdiff_t>(dash) + 1, stem.end(),
                    [](char c) { return c >= '0' && c <= '9'; })) {
        return {stem.substr(0, dash), std::stol(stem.substr(dash + 1))};
    }
    return {stem, kCurrentLog};
}

}  // namespace

std::string UnreadRecord::text() const {
    return file + ':' + std::to_string(line) + ": " + reason;
}

void ReadResultCsvText(std::string_view text, const std::string& name, const LoggedJudgementSink& take,
                       std::vector<UnreadRecord>& unread) {
    bool skipping = false;  // after a fault, until a record reads again: one fault per stretch
    for (std::size_t at = 0; at < text.size();) {
        RecordParser parser(text, at);
        Judgement judgement;
        std::string time;
        if (const auto fault = ParseRecord(parser, judgement, time)) {
            if (!skipping) {
                unread.push_back(UnreadRecord{name, LineNumber(text, fault->at), fault->reason});
            }
            skipping = true;
            at = NextLine(text, at);
            continue;
        }
        skipping = false;
        take(judgement, time);
        at = parser.at();
    }
}

bool ReadResultCsv(const std::string& path, const LoggedJudgementSink& take,
                   std::vector<UnreadRecord>& unread, std::string& failure) {
    if (PathKindOf(path) != PathKind::kRegular) {
        failure = NotReadableText(path);
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (!file && !file.eof()) {
        failure = NotReadableText(path);
        return false;
    }
    ReadResultCsvText(text, path, take, unread);
    return true;
}

std::vector<std::string> InLoggedOrder(std::vector<std::string> paths) {
    std::stable_sort(paths.begin(), paths.end(),
                     [](const std::string& a, const std::string& b) { return LogPlace(a) < LogPlace(b); });
    return paths;
}

}  // namespace torv
