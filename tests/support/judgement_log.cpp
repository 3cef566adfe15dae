#include "tests/support/judgement_log.h"

#include <array>
#include <regex>

#include "tests/support/sim_files.h"
#include "tests/support/temp_dir.h"

namespace torv::test {
namespace {

constexpr std::size_t kTrailerBytesPerCharacter = 4;

std::vector<std::uint8_t> HexBytes(const std::string& hex) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

// The three lines a judgement gives, the first one up to its time stamp.
std::array<std::string, 3> ExpectedCsvLines(const SentJudgement& j) {
    const std::size_t n = j.trailer.size() / kTrailerBytesPerCharacter;
    std::string best, numerical, alphabetic, bestDiff, numericalDiff, alphabeticDiff;
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t* c = &j.trailer[kTrailerBytesPerCharacter * i];
        const int nd = static_cast<std::int8_t>(c[0]);
        const int ad = static_cast<std::int8_t>(c[1]);
        const char nc = static_cast<char>(c[2] & 0x7F);
        const char ac = static_cast<char>(c[3] & 0x7F);
        best += std::string(1, nd < ad ? nc : ac) + ",";
        numerical += std::string(1, nc) + ",";
        alphabetic += std::string(1, ac) + ",";
        bestDiff += std::to_string(nd < ad ? nd : ad) + ",";
        numericalDiff += std::to_string(nd) + ",";
        alphabeticDiff += std::to_string(ad) + ",";
    }
    return {j.text + "," + std::to_string(n) + ",", best + " ," + numerical + " ," + alphabetic,
            bestDiff + " ," + numericalDiff + " ," + alphabeticDiff};
}

}  // namespace

bool ParseSentJudgement(const std::string& line, SentJudgement& judgement) {
    const auto judged = line.find(" judged=");
    if (judged == std::string::npos) {
        return false;
    }
    judgement = {std::stoi(line), line.substr(judged + 8, 2), {}};
    const auto trailer = line.find(" trailer=");
    if (trailer != std::string::npos) {
        judgement.trailer = HexBytes(line.substr(trailer + 9));
        judgement.trailer.pop_back();  // the checksum
    }
    return true;
}

std::vector<SentJudgement> SentJudgements(const std::string& logPath) {
    std::vector<SentJudgement> sent;
    SentJudgement j;
    for (const std::string& line : ReadLines(logPath)) {
        if (ParseSentJudgement(line, j)) {
            sent.push_back(j);
        }
    }
    return sent;
}

std::vector<std::string> CsvLines(const std::string& path) {
    std::vector<std::string> lines;
    const std::string bytes = ReadFileBytes(path);
    for (std::size_t start = 0; start < bytes.size();) {
        const std::size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back("<no CR LF>" + bytes.substr(start));
            break;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::string RecordProblem(const SentJudgement& judgement, const std::string* lines) {
    static const std::regex stamp(R"([A-Z][a-z]{2} \d\d \d{4} \d\d:\d\d:\d\d\.\d{3})");
    const auto expected = ExpectedCsvLines(judgement);
    const std::string where = "(exchange " + std::to_string(judgement.exchange) + ") ";
    const std::string& first = lines[0];
    if (first.compare(0, expected[0].size(), expected[0]) != 0 ||
        !std::regex_match(first.substr(std::min(first.size(), expected[0].size())), stamp)) {
        return where + "\"" + first + "\" is not \"" + expected[0] + "<time stamp>\"";
    }
    for (std::size_t k = 1; k < 3; ++k) {
        if (lines[k] != expected[k]) {
            return where + "\"" + lines[k] + "\" is not \"" + expected[k] + "\"";
        }
    }
    return {};
}

std::string CsvProblem(const std::string& csvPath, const std::vector<SentJudgement>& sent) {
    const std::vector<std::string> lines = CsvLines(csvPath);
    if (lines.size() != 3 * sent.size()) {
        return csvPath + " holds " + std::to_string(lines.size()) + " lines for " +
               std::to_string(sent.size()) + " judgements";
    }
    for (std::size_t i = 0; i < sent.size(); ++i) {
        const std::string problem = RecordProblem(sent[i], &lines[3 * i]);
        if (!problem.empty()) {
            return "record " + std::to_string(i + 1) + " of " + csvPath + ": " + problem;
        }
    }
    return {};
}

}  // namespace torv::test
