#pragma once
// What the monitor must have logged, worked out from what torvsim's exchange log says it sent: each new
// judgement's text and trailer, and the three result-CSV lines they give (time stamp aside). Shared by
// the monitor's tests, the fault matrix and the monitor soak.

#include <cstdint>
#include <string>
#include <vector>

namespace torv::test {

struct SentJudgement {
    int exchange = 0;
    std::string text;                   // "OK", "NG" or "--"
    std::vector<std::uint8_t> trailer;  // without its checksum
};

// One log line: true when it marks a new judgement ("3 Y 00 00 judged=OK trailer=0A3C...").
bool ParseSentJudgement(const std::string& line, SentJudgement& judgement);
// Every exchange the log marks "judged=", in order.
std::vector<SentJudgement> SentJudgements(const std::string& logPath);

// The CSV's lines without their CR LF; a last line without CR LF is returned as "<no CR LF>...".
std::vector<std::string> CsvLines(const std::string& path);

// Empty when `lines` are the judgement's three lines with a well-formed time stamp; otherwise the first
// line that differs and what it should be.
std::string RecordProblem(const SentJudgement& judgement, const std::string* lines);

// Empty when the CSV holds exactly these judgements, in order, each line well formed with a time stamp
// "Mmm dd yyyy hh:mm:ss.mmm"; otherwise what differs first.
std::string CsvProblem(const std::string& csvPath, const std::vector<SentJudgement>& sent);

}  // namespace torv::test
