#pragma once
// Reads the monitor's result CSV back, judgement by judgement, exactly as it was logged: the trend runs
// on these. A record that is not what the monitor writes is named (file and line) and skipped, never
// guessed; the reader goes on at the next line that starts a record.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "monitor/judgement.h"

namespace torv {

struct UnreadRecord {
    std::string file;
    int line = 0;  // counts from 1
    std::string reason;

    // "run.csv:7: the differences do not match the characters".
    std::string text() const;
};

using LoggedJudgementSink = std::function<void(const Judgement& judgement, std::string_view time)>;

// Reads `path` whole, handing every judgement to `take` in the order logged; records it cannot read go
// to `unread`. False, with `failure` for the user, when the file cannot be read at all.
bool ReadResultCsv(const std::string& path, const LoggedJudgementSink& take,
                   std::vector<UnreadRecord>& unread, std::string& failure);

// The same from bytes already read; `name` names them in `unread`.
void ReadResultCsvText(std::string_view text, const std::string& name, const LoggedJudgementSink& take,
                       std::vector<UnreadRecord>& unread);

// Logs chosen together, in the order they were written: by log name, and each log's parts moved aside
// at its wraps first, in their order, then the log itself: run-0001.csv, run-0002.csv, ..., run.csv.
std::vector<std::string> InLoggedOrder(std::vector<std::string> paths);

}  // namespace torv
