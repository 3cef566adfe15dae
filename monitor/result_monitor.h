#pragma once
// The monitor: polls the sensor's judgements as fast as it answers, logs each new one to the result
// CSV and counts it. The main window, torvctl and the tests drive it through the same steps; each
// shows the judgements in its own way through a MonitorHost.

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "engine/operation_state.h"
#include "monitor/judgement.h"
#include "monitor/result_csv.h"
#include "resources/strings.h"

namespace torv {

// The judgement count runs 0..20999 and starts again at 0.
inline constexpr int kJudgementCountWrap = 21000;

class MonitorHost {
  public:
    virtual ~MonitorHost() = default;
    // A new judgement (j > 0): its text and the three character strings.
    virtual void showJudgement(const Judgement& judgement) = 0;
    // The count after that judgement.
    virtual void showCount(int count) = 0;
    // Between polls: lets pending input through (the Stop button, Ctrl-C).
    virtual void pumpMessages() = 0;
};

enum class PollResult {
    kNothingNew,  // j = 0: nothing is shown, logged or counted
    kJudged,
    kFailed,  // LastErrorText holds the reason
};

class ResultMonitor {
  public:
    using Clock = std::function<std::chrono::system_clock::time_point()>;

    explicit ResultMonitor(OperationState& state, Clock clock = std::chrono::system_clock::now);
    ~ResultMonitor();
    ResultMonitor(const ResultMonitor&) = delete;
    ResultMonitor& operator=(const ResultMonitor&) = delete;

    // A new run: the count starts again at 0.
    void reset() { m_count = 0; }
    // Opens the link on ComPortNumber at BaudIndex: 0, or OpenLink's 1 (port) or 2 (baud index) with
    // the port-open failure (`kOpenPortFailed` or `kBaudRateInvalid`) in LastErrorText. Every failure
    // also leaves its facts in LastErrorDetail.
    int openLink();
    // An empty name names no file (the field's hint is no name): false with the file-name request
    // (`kSpecifyFileName`). Checked before the link opens.
    bool acceptCsvName(const std::string& baseName);
    // Creates the result CSV `baseName`.csv, empty, without asking; an earlier log of that name is moved
    // aside to the first free baseName-0001.csv, ... as at the count's wrap. False with the file-creation
    // failure (`kCreateFileFailed`) in LastErrorText when it cannot be created or the earlier log not
    // moved (the file-name request, `kSpecifyFileName`, for an empty name).
    // With kContinue the log is opened to add to what it holds instead.
    enum class CsvStart { kNew, kContinue };
    bool createCsv(const std::string& baseName, CsvStart start = CsvStart::kNew);
    const ResultCsvFile& csv() const { return m_csv; }

    // One `Y` exchange and its trailer; a new judgement is written to the CSV when one is open.
    PollResult poll(Judgement& judgement);
    // What one poll brought: the reply's two bytes and whatever arrived of the trailer (nothing when
    // none was due). Decodes, checks and logs it as poll() does.
    PollResult takeReply(std::array<std::uint8_t, kJudgementReplySize> reply,
                         std::span<const std::uint8_t> trailer, Judgement& judgement);
    // Counts the judgement just polled. At the wrap the CSV starts again; false with the file-creation
    // failure (`kCreateFileFailed`) when that failed.
    bool countJudgement();
    int count() const { return m_count; }

    // After the last poll of a run that reached its limit: false, with the invalid-response text
    // (`kInvalidResponse`) and the facts, when bytes arrive that no poll asked for (the judgements were
    // one poll out of step).
    bool confirmInStep();

    // Closes the port and the CSV; the loop touches neither afterwards. Safe to call more than once.
    void close();
    bool linkOpen() const { return m_linkOpen; }

  private:
    bool fail(StringId message, std::string detail);
    bool failReply();
    bool failCsvWrite();
    bool failLateReply(int strayBytes);

    OperationState& m_state;
    Clock m_clock;
    ResultCsvFile m_csv;
    int m_port = 0;
    bool m_linkOpen = false;
    int m_count = 0;
    std::array<std::uint8_t, kMaxTrailerSize> m_trailer{};
};

enum class MonitorEnd {
    kStopped,  // AbortRequest was set (the Stop button, a limit, Ctrl-C)
    kFailed,   // a poll failed or the CSV could not be written; LastErrorText holds the reason
};

// The poll loop: runs until AbortRequest is set or a poll fails, showing each judgement and its count
// and letting pending input through between polls. A poll that finds bytes waiting before its frame
// fails: a reply came late, and the judgements would be out of step with the polls.
MonitorEnd RunMonitorLoop(ResultMonitor& monitor, OperationState& state, MonitorHost& host);

}  // namespace torv
