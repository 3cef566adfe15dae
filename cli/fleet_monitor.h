#pragma once
// `fleet monitor FLEET [--csv-dir DIR] [--seconds S] [--trend [--baseline N]]`: the monitor on every
// sensor of a fleet at once. Each sensor has a thread of its own with its own port, operation state and
// ResultMonitor, and its own result CSV, DIR/NAME.csv, exactly as the desktop tool logs it (moved aside
// to NAME-0001.csv, ... at the count's wrap). A sensor that falls silent is retried with a growing pause
// (1, 2, 4, 8, 16, then every 30 s; back to 1 s once it answers) while the others go on; nothing is
// written to its CSV meanwhile, so the gap shows in the time stamps, and it is said on stderr and in the
// summary.

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli_context.h"
#include "cli/fleet_file.h"
#include "monitor/judgement.h"
#include "monitor/judgement_tally.h"
#include "monitor/margin_trend.h"

namespace torv::cli {

struct FleetMonitorOptions {
    std::string csvFolder;  // empty: no CSV
    double seconds = 0;     // 0: until a stop signal
    bool trend = false;
    int baseline = kDefaultTrendBaseline;
};

// What one sensor's run has judged so far, for its listener's stats.
struct SensorTotals {
    long long judgements = 0;
    JudgementTally tally;
    int alarms = 0;
    int gaps = 0;
    double silentSeconds = 0;  // of every gap so far, the one still open included
    double seconds = 0;        // since the fleet started
};

// Where one sensor's run reports beside the screen and its CSV (the MQTT publisher, one per sensor).
// Every call comes from that sensor's own thread, between two polls: keep it short (queue, never wait).
class SensorListener {
  public:
    virtual ~SensorListener() = default;
    // A new judgement, the monitor's count after it (0 .. 20999, wrapping with the CSV) and the PC
    // time (ISO 8601).
    virtual void judged(const Judgement& judgement, int count, const std::string& time) = 0;
    virtual void alarm(const TrendAlarm& alarm) = 0;
    // Once a minute while the run lasts, and once at its end.
    virtual void stats(const SensorTotals& totals) = 0;
    // The sensor fell silent (`reason`, the tool's message), or answers again.
    virtual void silent(const std::string& reason) = 0;
    virtual void answering() = 0;
    // The run has ended, after the last stats: the listener may take a moment to finish its work.
    virtual void ended() = 0;
};

// A line for stderr, from any thread: shown above the status lines on a terminal, alone elsewhere.
using FleetNotice = std::function<void(std::string line)>;

// Makes the listener of one sensor before any run starts; nothing, with `failure` for the user, when
// it cannot work (the fleet then does not start). `say` is how the listener speaks on stderr.
using SensorListenerFactory = std::function<std::unique_ptr<SensorListener>(
    const FleetSensor& sensor, const FleetNotice& say, std::string& failure)>;

inline constexpr auto kSensorStatsInterval = std::chrono::seconds(60);

// Runs until the time limit or a stop signal, then prints one summary line per sensor on stdout (or
// the summary as JSON). Exit code: 0 when every sensor answered from start to end; 1 when every sensor
// was silent at some time (a gap); 7 when some were; 5 when a CSV could not be made or written (the
// sensor stops, the others go on) or a listener could not be made (nothing starts); SIGTERM and SIGHUP
// stop it as every command (exit 128 + the signal), Ctrl-C is its ordinary end.
int RunFleetMonitor(const GlobalOptions& options, const std::vector<FleetSensor>& sensors,
                    const FleetMonitorOptions& monitorOptions, const SensorListenerFactory& listenerOf = {});

}  // namespace torv::cli
