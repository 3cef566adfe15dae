#include "cli/fleet_monitor.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string_view>
#include <thread>
#include <utility>

#include "cli/console/console.h"
#include "cli/fleet_run.h"
#include "cli/fleet_status_lines.h"
#include "cli/interrupts.h"
#include "cli/json_output.h"
#include "cli/trend_command.h"
#include "link/frames.h"
#include "monitor/iso_time.h"
#include "monitor/result_monitor.h"

namespace torv::cli {
namespace {

using SteadyClock = std::chrono::steady_clock;

// The pauses before each try at a silent sensor, in seconds; the last repeats. A sensor that was
// switched off for the night is found again within half a minute of coming back, and one that never
// answers costs one exchange every 30 s.
constexpr std::array<int, 6> kRetryPauses{1, 2, 4, 8, 16, 30};
constexpr auto kRedrawEvery = std::chrono::milliseconds(200);
constexpr auto kWaitSlice = std::chrono::milliseconds(50);

double SecondsBetween(SteadyClock::time_point from, SteadyClock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

// What the workers and the drawing thread share: every sensor's status and the events not yet shown.
struct FleetBoard {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<SensorStatus> statuses;
    std::vector<std::string> events;
    std::size_t running = 0;
};

// One sensor's monitor, on a thread of its own: polls through ResultMonitor and RunMonitorLoop, and
// when a poll fails, closes the port and its CSV, waits and opens both again (the CSV to add to it), so
// that a sensor that went away and came back, or a new simulator on the same COMn link, is found again.
class SensorWorker : public MonitorHost {
  public:
    SensorWorker(const FleetSensor& sensor, int port, std::size_t index, const FleetMonitorOptions& options,
                 FleetBoard& board, SteadyClock::time_point start)
        : m_sensor(sensor),
          m_index(index),
          m_board(board),
          m_start(start),
          m_deadline(options.seconds > 0
                         ? std::optional(start + std::chrono::duration_cast<SteadyClock::duration>(
                                                     std::chrono::duration<double>(options.seconds)))
                         : std::nullopt),
          m_monitor(m_state) {
        m_state.ComPortNumber = port;
        m_state.BaudIndex = sensor.baudIndex;
        if (!options.csvFolder.empty()) {
            m_csvBase = (std::filesystem::path(options.csvFolder) / sensor.name).string();
        }
        if (options.trend) {
            m_trend.emplace(options.baseline);
        }
    }

    // Before any thread starts, so that a fleet whose logs cannot all be made polls none of them.
    bool createCsv() {
        if (m_csvBase.empty() || m_monitor.createCsv(m_csvBase)) {
            return true;
        }
        std::cerr << m_sensor.name << ": " << m_state.LastErrorText << '\n'
                  << m_sensor.name << ": " << m_state.LastErrorDetail << '\n';
        return false;
    }

    void listenWith(std::unique_ptr<SensorListener> listener) { m_listener = std::move(listener); }
    void run();
    bool fileFailed() const { return m_fileFailed; }
    const SensorStatus& status() const { return m_status; }

    void showJudgement(const Judgement& judgement) override {
        answered();
        m_judgement = judgement;
    }

    void showCount(int count) override {
        SensorTotals& totals = m_status.totals;
        ++totals.judgements;
        totals.tally.add(m_judgement);
        m_status.last = m_judgement.text();
        if (m_trend || m_listener) {
            const std::string time = IsoLocalTimeText(std::chrono::system_clock::now());
            if (m_listener) {
                m_listener->judged(m_judgement, count, time);
            }
            if (m_trend) {
                for (const TrendAlarm& alarm : m_trend->add(m_judgement, time)) {
                    ++totals.alarms;
                    post({m_sensor.name + ": trend alarm at judgement " + std::to_string(alarm.judgement) +
                          ": " + PrintableAlarmText(alarm)});
                    if (m_listener) {
                        m_listener->alarm(alarm);
                    }
                }
            }
        }
        share();
    }

    void pumpMessages() override {
        answered();
        if (stopWanted()) {
            m_state.AbortRequest = true;
        }
        if (m_listener && SteadyClock::now() >= m_nextStats) {
            m_nextStats += kSensorStatsInterval;
            m_listener->stats(totalsNow());
        }
    }

  private:
    bool stopWanted() const { return Interrupted() || (m_deadline && SteadyClock::now() >= *m_deadline); }

    // Opens the port, and the CSV again after a gap; false when the port did not open. A CSV that
    // cannot be opened again stops the sensor (m_fileFailed).
    bool reopen() {
        if (m_monitor.openLink() != kLinkOpened) {
            return false;
        }
        if (!m_csvBase.empty() && !m_monitor.csv().isOpen() &&
            !m_monitor.createCsv(m_csvBase, ResultMonitor::CsvStart::kContinue)) {
            m_fileFailed = true;
        }
        return true;
    }

    void answered() {
        if (m_status.link == SensorLink::kPolling) {
            return;
        }
        const bool wasSilent = m_status.link == SensorLink::kRetrying;
        m_status.link = SensorLink::kPolling;
        m_pause = 0;
        if (wasSilent) {
            const double silent = SecondsBetween(m_silentSince, SteadyClock::now());
            m_closedGapSeconds += silent;
            post({m_sensor.name + ": back at " + IsoLocalTimeText(std::chrono::system_clock::now()) +
                  " after " + FormattedSeconds(silent) + " silent (" +
                  PlaceInRun(m_status.totals.judgements) + ")"});
            if (m_listener) {
                m_listener->answering();
            }
        }
        share();
    }

    // A poll or an open failed: the first failure of a gap is said, every one moves the next try on.
    void fallSilent() {
        const SteadyClock::time_point now = SteadyClock::now();
        const int pause = kRetryPauses[std::min(m_pause, kRetryPauses.size() - 1)];
        ++m_pause;
        if (m_status.link != SensorLink::kRetrying) {
            m_silentSince = now;
            ++m_status.totals.gaps;
            std::vector<std::string> lines{m_sensor.name + ": silent at " +
                                           IsoLocalTimeText(std::chrono::system_clock::now()) + ", " +
                                           PlaceInRun(m_status.totals.judgements) + ": " +
                                           m_state.LastErrorText + " Retrying every 1 to 30 s."};
            if (!m_state.LastErrorDetail.empty()) {
                lines.push_back(m_sensor.name + ": " + m_state.LastErrorDetail);
            }
            post(std::move(lines));
            if (m_listener) {
                m_listener->silent(m_state.LastErrorText);
            }
        }
        m_status.link = SensorLink::kRetrying;
        m_status.reason = m_state.LastErrorText;
        m_status.retryAt = now + std::chrono::seconds(pause);
        share();
    }

    void stopWith(std::string reason) {
        if (m_status.link == SensorLink::kRetrying) {
            m_closedGapSeconds += SecondsBetween(m_silentSince, SteadyClock::now());
        }
        m_status.link = SensorLink::kStopped;
        m_status.reason = std::move(reason);
        std::vector<std::string> lines{m_sensor.name + ": stopped: " + m_state.LastErrorText};
        if (!m_state.LastErrorDetail.empty()) {
            lines.push_back(m_sensor.name + ": " + m_state.LastErrorDetail);
        }
        post(std::move(lines));
    }

    // Waits for the next try, or for the stop.
    void waitForRetry() {
        while (!stopWanted() && SteadyClock::now() < m_status.retryAt) {
            std::this_thread::sleep_for(kWaitSlice);
        }
    }

    SensorTotals totalsNow() const {
        SensorTotals totals = m_status.totals;
        const SteadyClock::time_point now = SteadyClock::now();
        totals.silentSeconds =
            m_closedGapSeconds +
            (m_status.link == SensorLink::kRetrying ? SecondsBetween(m_silentSince, now) : 0);
        totals.seconds = SecondsBetween(m_start, now);
        return totals;
    }

    static std::string FormattedSeconds(double seconds) {
        std::array<char, 32> text{};
        std::snprintf(text.data(), text.size(), "%.1f s", seconds);
        return text.data();
    }

    // Where a gap falls in the run, for the lines that open and close it.
    static std::string PlaceInRun(long long judged) {
        return judged == 0 ? std::string("before its first judgement")
                           : "after judgement " + std::to_string(judged);
    }

    void post(std::vector<std::string> lines) {
        {
            const std::lock_guard lock(m_board.mutex);
            m_board.events.insert(m_board.events.end(), std::make_move_iterator(lines.begin()),
                                  std::make_move_iterator(lines.end()));
        }
        m_board.changed.notify_one();
    }

    void share() {
        const std::lock_guard lock(m_board.mutex);
        m_board.statuses[m_index] = m_status;
        m_board.statuses[m_index].totals = totalsNow();
    }

    const FleetSensor& m_sensor;
    std::size_t m_index;
    FleetBoard& m_board;
    SteadyClock::time_point m_start;
    std::optional<SteadyClock::time_point> m_deadline;
    std::unique_ptr<SensorListener> m_listener;
    SteadyClock::time_point m_nextStats = m_start + kSensorStatsInterval;
    OperationState m_state;
    ResultMonitor m_monitor;
    std::string m_csvBase;  // empty: no CSV
    std::optional<MarginTrend> m_trend;
    Judgement m_judgement;
    SensorStatus m_status;
    std::size_t m_pause = 0;  // into kRetryPauses
    SteadyClock::time_point m_silentSince;
    double m_closedGapSeconds = 0;
    bool m_fileFailed = false;
};

void SensorWorker::run() {
    while (!stopWanted()) {
        if (!m_monitor.linkOpen() && !reopen()) {
            fallSilent();
            waitForRetry();
            continue;
        }
        if (m_fileFailed) {
            stopWith(m_monitor.csv().failureText());
            break;
        }
        const MonitorEnd end = RunMonitorLoop(m_monitor, m_state, *this);
        if (end == MonitorEnd::kStopped) {
            break;
        }
        // A log that cannot be written stops this sensor: polling on would lose its judgements unseen.
        if (!m_monitor.csv().failureText().empty()) {
            m_fileFailed = true;
            stopWith(m_monitor.csv().failureText());
            break;
        }
        if (stopWanted()) {
            break;  // the stop cut the last exchange short: no gap
        }
        m_monitor.close();
        fallSilent();
        waitForRetry();
    }
    // After a time limit, as the monitor: bytes that no poll asked for mean the judgements were out of
    // step with the polls.
    if (!Interrupted() && m_status.link == SensorLink::kPolling && m_monitor.linkOpen() &&
        !m_monitor.confirmInStep()) {
        stopWith(m_state.LastErrorText);
    }
    m_monitor.close();
    if (m_status.link != SensorLink::kStopped) {
        if (m_status.link == SensorLink::kRetrying) {
            m_closedGapSeconds += SecondsBetween(m_silentSince, SteadyClock::now());
        }
        m_status.link = SensorLink::kEnded;
    }
    m_status.totals = totalsNow();
    if (m_listener) {
        m_listener->stats(m_status.totals);
        m_listener->ended();
    }
    share();
}

Json SummaryJson(const std::vector<FleetSensor>& sensors, const std::vector<SensorWorker*>& workers,
                 const std::string& csvFolder, double seconds) {
    Json list = Json::array();
    long long judgements = 0;
    for (std::size_t i = 0; i < sensors.size(); ++i) {
        const SensorStatus& status = workers[i]->status();
        const SensorTotals& totals = status.totals;
        judgements += totals.judgements;
        Json sensor{
            {"name", sensors[i].name},
            {"port", sensors[i].port},
            {"csv", csvFolder.empty()
                        ? Json(nullptr)
                        : Json((std::filesystem::path(csvFolder) / sensors[i].name).string() + ".csv")},
            {"judgements", totals.judgements},
            {"ok", totals.tally.ok},
            {"ng", totals.tally.ng},
            {"none", totals.tally.none},
            {"yield", totals.tally.yieldPercent()},
            {"alarms", totals.alarms},
            {"gaps", totals.gaps},
            {"silent_seconds", totals.silentSeconds},
            {"result", status.link == SensorLink::kStopped ? "stopped"
                       : totals.gaps > 0                   ? "gaps"
                                                           : "ok"},
            {"message", status.link == SensorLink::kStopped ? status.reason : std::string()}};
        list.push_back(std::move(sensor));
    }
    return Json{{"sensors", std::move(list)}, {"judgements", judgements}, {"seconds", seconds}};
}

int ExitCodeOf(const std::vector<SensorWorker*>& workers) {
    std::size_t throughout = 0;
    for (const SensorWorker* worker : workers) {
        if (worker->fileFailed()) {
            return kExitFile;
        }
        throughout += AnsweredThroughout(worker->status()) ? 1 : 0;
    }
    if (Interrupted() && InterruptSignal() != SIGINT) {
        return kExitAborted;
    }
    return throughout == workers.size() ? kExitOk : throughout == 0 ? kExitFailed : kExitSomeFailed;
}

// Draws the board until every worker has ended; off a terminal, prints the events as they come.
void FollowWorkers(FleetBoard& board, const std::vector<FleetSensor>& sensors,
                   const FleetMonitorOptions& options, SteadyClock::time_point start) {
    const bool onTerminal = StandardErrorIsTerminal();
    const char* term = std::getenv("TERM");
    StatusBoard screen(term == nullptr || std::string_view(term) != "dumb");
    std::size_t nameWidth = 0;
    for (const FleetSensor& sensor : sensors) {
        nameWidth = std::max(nameWidth, sensor.name.size());
    }
    for (bool last = false; !last;) {
        std::vector<std::string> events;
        std::vector<SensorStatus> statuses;
        {
            std::unique_lock lock(board.mutex);
            board.changed.wait_for(lock, kRedrawEvery,
                                   [&board] { return !board.events.empty() || board.running == 0; });
            events.swap(board.events);
            last = board.running == 0;
            if (onTerminal) {
                statuses = board.statuses;
            }
        }
        if (!onTerminal) {
            for (const std::string& event : events) {
                PrintNotice(event);
            }
            continue;
        }
        const SteadyClock::time_point now = SteadyClock::now();
        const TerminalSize size = StandardErrorTerminalSize();
        std::vector<std::string> lines;
        std::size_t shown = 0;
        if (screen.escapes()) {
            for (std::size_t i : SensorsShown(statuses, size.rows)) {
                lines.push_back(StatusLine(sensors[i].name, nameWidth, statuses[i], options.trend, now));
                ++shown;
            }
        }
        lines.push_back(TotalStatusLine(statuses, SecondsBetween(start, now), options.seconds,
                                        screen.escapes() ? statuses.size() - shown : 0));
        screen.draw(events, lines, size.columns);
    }
    screen.finish();
}

}  // namespace

int RunFleetMonitor(const GlobalOptions& options, const std::vector<FleetSensor>& sensors,
                    const FleetMonitorOptions& monitorOptions, const SensorListenerFactory& listenerOf) {
    const std::vector<int> ports = PrepareFleetPorts(sensors, options.trace);
    FleetBoard board;
    board.statuses.resize(sensors.size());
    const FleetNotice say = [&board](std::string line) {
        {
            const std::lock_guard lock(board.mutex);
            board.events.push_back(std::move(line));
        }
        board.changed.notify_one();
    };
    const SteadyClock::time_point start = SteadyClock::now();
    std::vector<std::unique_ptr<SensorWorker>> workers;
    std::vector<SensorWorker*> workerList;
    for (std::size_t i = 0; i < sensors.size(); ++i) {
        workers.push_back(
            std::make_unique<SensorWorker>(sensors[i], ports[i], i, monitorOptions, board, start));
        workerList.push_back(workers.back().get());
        if (!workers.back()->createCsv()) {
            std::cerr << "torvctl: no sensor was polled\n";
            return kExitFile;
        }
    }
    // After the CSVs: a fleet that cannot log never shows its sensors as online.
    for (std::size_t i = 0; listenerOf && i < sensors.size(); ++i) {
        std::string failure;
        std::unique_ptr<SensorListener> listener = listenerOf(sensors[i], say, failure);
        if (!listener) {
            std::cerr << sensors[i].name << ": " << failure << "\ntorvctl: no sensor was polled\n";
            return kExitFile;
        }
        workers[i]->listenWith(std::move(listener));
    }
    board.running = workers.size();
    std::vector<std::thread> threads;
    for (std::unique_ptr<SensorWorker>& worker : workers) {
        threads.emplace_back([&board, &worker] {
            worker->run();
            {
                const std::lock_guard lock(board.mutex);
                --board.running;
            }
            board.changed.notify_one();
        });
    }
    FollowWorkers(board, sensors, monitorOptions, start);
    for (std::thread& thread : threads) {
        thread.join();
    }
    // What a listener's own thread said after the last drawing.
    std::vector<std::string> late;
    {
        const std::lock_guard lock(board.mutex);
        late.swap(board.events);
    }
    for (const std::string& line : late) {
        PrintNotice(line);
    }
    const double seconds = SecondsBetween(start, SteadyClock::now());
    if (JsonOutput()) {
        PrintJson(SummaryJson(sensors, workerList, monitorOptions.csvFolder, seconds));
    } else {
        std::vector<SensorStatus> statuses;
        for (const SensorWorker* worker : workerList) {
            statuses.push_back(worker->status());
        }
        for (const std::string& line : SummaryLines(sensors, statuses, monitorOptions.trend)) {
            std::cout << line << '\n';
        }
        std::cout << SummaryTotalLine(statuses, seconds) << '\n' << std::flush;
    }
    return ExitCodeOf(workerList);
}

}  // namespace torv::cli
