#include "cli/fleet_run.h"

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <thread>

#include "cli/cli_context.h"
#include "cli/console/console.h"
#include "cli/interrupts.h"
#include "cli/json_output.h"
#include "cli/terminal_host.h"
#include "cli/text_shaping.h"
#include "cli/trace_printer.h"
#include "engine/write_journal.h"
#include "link/port_names.h"
#include "operations/device_operations.h"

namespace torv::cli {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kProgressRedraw = std::chrono::milliseconds(200);
constexpr int kBarWidth = 30;

// The person is not there while a fleet runs: the one question was asked before, nothing is shown
// mid-run (failures come back in the report), and a stop signal is the Cancel button.
class FleetHost : public OperationHost {
  public:
    FleetHost(OperationState& state, std::atomic<int>& progress) : m_state(state), m_progress(progress) {}
    bool ask(Caption, Icon, std::string_view, Answer) override { return !Interrupted(); }
    void show(Caption, Icon, std::string_view) override {}
    void setStatus(std::string_view) override {}
    void setProgress(int position) override { m_progress = position; }
    void pumpMessages() override {
        if (Interrupted()) {
            m_state.AbortRequest = true;
        }
    }

  private:
    OperationState& m_state;
    std::atomic<int>& m_progress;
};

// Port numbers for the runs: COMn keeps n; every other port is tied to a free number, from the top.
std::vector<int> PortNumbers(const std::vector<FleetSensor>& sensors) {
    std::set<int> taken;
    for (const FleetSensor& sensor : sensors) {
        taken.insert(ComPortNumberOf(sensor.port));
    }
    std::vector<int> numbers;
    int next = kMaxPortNumber;
    for (const FleetSensor& sensor : sensors) {
        int number = ComPortNumberOf(sensor.port);
        if (number == 0) {
            while (taken.count(next) != 0) {
                --next;
            }
            number = next--;
            SetComPortDevicePath(number, sensor.port);
        }
        numbers.push_back(number);
    }
    return numbers;
}

// Every sensor holds its port (a network port: a socket and an event queue) and its file open at
// once; a fleet of a few hundred would pass the usual soft limit of 1024 descriptors.
void RaiseDescriptorLimit() {
#ifndef _WIN32
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
#endif
}

FleetOutcome RunOne(const FleetSensor& sensor, int port, int code, const std::string& fileName,
                    std::atomic<int>& progress) {
    const Clock::time_point start = Clock::now();
    OperationState state;
    state.OperationCode = code;
    state.ComPortNumber = port;
    state.BaudIndex = sensor.baudIndex;
    state.OperationFileName = fileName;
    FleetHost host(state, progress);
    const OperationReport report = RunOperationOfState(state, host);
    FleetOutcome outcome;
    outcome.outcome = report.outcome;
    outcome.message = report.outcome == OperationOutcome::kCompleted ? "ok" : report.text;
    outcome.detail = report.outcome == OperationOutcome::kCompleted ? std::string() : report.detail;
    outcome.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    outcome.baudIndexAfter = state.BaudIndex;
    if (state.UnstoredWords) {
        outcome.restoreCommand = RestoreCommand(WriteOfRun(state));
    }
    progress = kProgressMax;
    return outcome;
}

// "[#####     ] 42% 3 of 8 sensors done", redrawn in place on a terminal.
void DrawProgress(const std::vector<std::atomic<int>>& progress, int done, std::size_t& drawnWidth) {
    long sum = 0;
    for (const std::atomic<int>& position : progress) {
        sum += position;
    }
    const long whole = static_cast<long>(progress.size()) * kProgressMax;
    const int filled = static_cast<int>(sum * kBarWidth / whole);
    std::array<char, 32> percent{};
    std::snprintf(percent.data(), percent.size(), "%3ld%%", sum * 100 / whole);
    DrawProgressLine("[" + std::string(filled, '#') + std::string(kBarWidth - filled, ' ') + "] " +
                         percent.data() + " " + std::to_string(done) + " of " +
                         std::to_string(progress.size()) + " sensors done",
                     drawnWidth);
}

// "  1.1 s", "123.4 s"
std::string SecondsText(double seconds) {
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%5.1f s", seconds);
    return text.data();
}

}  // namespace

std::vector<int> PrepareFleetPorts(const std::vector<FleetSensor>& sensors, bool trace) {
    const std::vector<int> ports = PortNumbers(sensors);
    for (std::size_t i = 0; i < sensors.size(); ++i) {
        if (const std::optional<UnfinishedWrite> write = FindUnfinishedWrite(ports[i])) {
            std::cerr << sensors[i].name << ": Warning: " << UnfinishedWriteNotice(*write) << '\n';
        }
    }
    RaiseDescriptorLimit();
    if (trace) {  // each frame with the name of the sensor it went to or came from
        auto names = std::make_shared<std::map<int, std::string>>();
        for (std::size_t i = 0; i < sensors.size(); ++i) {
            (*names)[ports[i]] = sensors[i].name;
        }
        StartTrace([names](int port) { return names->at(port); });
    }
    return ports;
}

std::vector<FleetOutcome> RunFleet(const std::vector<FleetSensor>& sensors, int code,
                                   const std::function<std::string(const FleetSensor&)>& fileNameOf,
                                   bool trace) {
    const std::vector<int> ports = PrepareFleetPorts(sensors, trace);
    std::vector<FleetOutcome> outcomes(sensors.size());
    std::vector<std::atomic<int>> progress(sensors.size());
    std::mutex mutex;
    std::condition_variable finished;
    int done = 0;
    std::vector<std::thread> runs;
    for (std::size_t i = 0; i < sensors.size(); ++i) {
        runs.emplace_back([&, i] {
            outcomes[i] = RunOne(sensors[i], ports[i], code, fileNameOf(sensors[i]), progress[i]);
            const std::lock_guard lock(mutex);
            ++done;
            finished.notify_one();
        });
    }
    const bool onTerminal = StandardErrorIsTerminal();
    std::size_t drawnWidth = 0;
    {
        std::unique_lock lock(mutex);
        while (done < static_cast<int>(sensors.size())) {
            finished.wait_for(lock, kProgressRedraw);
            if (onTerminal) {
                DrawProgress(progress, done, drawnWidth);
            }
        }
    }
    for (std::thread& run : runs) {
        run.join();
    }
    if (onTerminal) {
        std::fputc('\n', stderr);
    }
    return outcomes;
}

namespace {

struct FleetCounts {
    int succeeded = 0;
    int failed = 0;
    int aborted = 0;
};

FleetCounts CountOutcomes(const std::vector<FleetOutcome>& outcomes) {
    FleetCounts counts;
    for (const FleetOutcome& outcome : outcomes) {
        counts.succeeded += outcome.outcome == OperationOutcome::kCompleted ? 1 : 0;
        counts.aborted += outcome.outcome == OperationOutcome::kAborted ? 1 : 0;
    }
    counts.failed = static_cast<int>(outcomes.size()) - counts.succeeded - counts.aborted;
    return counts;
}

std::string_view ResultWord(OperationOutcome outcome) {
    switch (outcome) {
        case OperationOutcome::kCompleted:
            return "ok";
        case OperationOutcome::kAborted:
            return "aborted";
        default:
            return "failed";
    }
}

void PrintFleetJson(const std::vector<FleetSensor>& sensors, const std::vector<FleetOutcome>& outcomes,
                    const FleetCounts& counts, double totalSeconds) {
    Json list = Json::array();
    for (std::size_t i = 0; i < sensors.size(); ++i) {
        Json sensor;
        sensor["name"] = sensors[i].name;
        sensor["port"] = sensors[i].port;
        sensor["result"] = ResultWord(outcomes[i].outcome);
        sensor["message"] = outcomes[i].message;
        sensor["detail"] = outcomes[i].detail;
        sensor["seconds"] = outcomes[i].seconds;
        if (!outcomes[i].restoreCommand.empty()) {
            sensor["restore"] = outcomes[i].restoreCommand;
        }
        list.push_back(std::move(sensor));
    }
    PrintJson(Json{{"sensors", std::move(list)},
                   {"ok", counts.succeeded},
                   {"failed", counts.failed},
                   {"aborted", counts.aborted},
                   {"seconds", totalSeconds}});
}

void PrintFleetTable(const std::vector<FleetSensor>& sensors, const std::vector<FleetOutcome>& outcomes,
                     const FleetCounts& counts, double totalSeconds) {
    std::size_t nameWidth = 0;
    std::size_t portWidth = 0;
    std::size_t messageWidth = 0;
    for (std::size_t i = 0; i < sensors.size(); ++i) {
        nameWidth = std::max(nameWidth, sensors[i].name.size());
        portWidth = std::max(portWidth, sensors[i].port.size());
        messageWidth = std::max(messageWidth, outcomes[i].message.size());
    }
    for (std::size_t i = 0; i < sensors.size(); ++i) {
        const FleetOutcome& outcome = outcomes[i];
        std::cout << Padded(sensors[i].name, nameWidth) << "  " << Padded(sensors[i].port, portWidth) << "  "
                  << Padded(outcome.message, messageWidth) << "  " << SecondsText(outcome.seconds) << '\n';
    }
    std::cout << sensors.size() << " sensors: " << counts.succeeded << " ok, " << counts.failed << " failed";
    if (counts.aborted > 0) {
        std::cout << ", " << counts.aborted << " aborted";
    }
    std::array<char, 32> total{};
    std::snprintf(total.data(), total.size(), ", %.1f s\n", totalSeconds);
    std::cout << total.data() << std::flush;
    for (std::size_t i = 0; i < sensors.size(); ++i) {
        if (!outcomes[i].detail.empty()) {
            std::cerr << sensors[i].name << ": " << outcomes[i].detail << '\n';
        }
        if (!outcomes[i].restoreCommand.empty()) {
            std::cerr << sensors[i].name
                      << ": the sensor holds a partly written set that it has not stored; to restore it: "
                      << outcomes[i].restoreCommand << '\n';
        }
    }
}

}  // namespace

int ReportFleet(const std::vector<FleetSensor>& sensors, const std::vector<FleetOutcome>& outcomes,
                double totalSeconds) {
    const FleetCounts counts = CountOutcomes(outcomes);
    if (JsonOutput()) {
        PrintFleetJson(sensors, outcomes, counts, totalSeconds);
    } else {
        PrintFleetTable(sensors, outcomes, counts, totalSeconds);
    }
    if (counts.aborted > 0) {
        return kExitAborted;
    }
    return counts.failed == 0 ? kExitOk : counts.succeeded > 0 ? kExitSomeFailed : kExitFailed;
}

}  // namespace torv::cli
