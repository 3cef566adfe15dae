// Fleet monitor throughput: `torvctl fleet monitor --csv-dir` against torvsims for S seconds (10 unless
// told): P of them on pseudo-terminals (16 unless told) and N more behind one ser2net (0 unless told),
// each judging at torvsim's --pace PACE (0 unless told: a new judgement at every poll, full speed). Unless
// told --no-mqtt, and when mosquitto is installed, torvctl also publishes every judgement to a broker of its
// own on the loopback and `mosquitto_sub` records each message with its time of arrival.
//
// Prints the judgements per second, counted in the CSVs torvctl wrote, torvctl's processor time (user +
// system) per judgement, the judgement messages the subscriber received per second and their delay from
// the judgement's time stamp (taken as the reply arrived) to their arrival, median and 99th percentile.
// The simulators, ser2net and mosquitto run on the same machine and take their share of it.
//
//   fleet_monitor_bench [--no-mqtt] [PTY_SENSORS] [SECONDS] [NETWORK_SENSORS] [PACE]

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/statistics.h"
#include "tests/support/judgement_log.h"
#include "tests/support/mosquitto_broker.h"
#include "tests/support/ser2net_server.h"
#include "tests/support/sim_process.h"
#include "tests/support/temp_dir.h"

extern char** environ;

namespace {

constexpr int kDefaultPtySensors = 16;
constexpr double kDefaultSeconds = 10;

double Seconds(const timeval& time) {
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

// Starts a program with its stdout in a file (or /dev/null); -1 when it cannot start.
pid_t Spawn(std::vector<std::string> words, const std::string& stdoutPath) {
    std::vector<char*> arguments;
    for (std::string& word : words) {
        arguments.push_back(word.data());
    }
    arguments.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, stdoutPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    if (posix_spawnp(&pid, words.front().c_str(), &actions, nullptr, arguments.data(), environ) != 0) {
        pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// The judgement's own time stamp, "...,"time":"2026-12-08T10:15:02.137+00:00"}" (torvctl runs in UTC
// here), as seconds since the epoch; negative when the message has none.
double JudgementTime(const std::string& payload) {
    const std::string key = "\"time\":\"";
    const auto at = payload.find(key);
    std::tm calendar{};
    int milliseconds = 0;
    if (at == std::string::npos ||
        std::sscanf(payload.c_str() + at + key.size(), "%4d-%2d-%2dT%2d:%2d:%2d.%3d", &calendar.tm_year,
                    &calendar.tm_mon, &calendar.tm_mday, &calendar.tm_hour, &calendar.tm_min,
                    &calendar.tm_sec, &milliseconds) != 7) {
        return -1;
    }
    calendar.tm_year -= 1900;
    calendar.tm_mon -= 1;
    return static_cast<double>(timegm(&calendar)) + milliseconds / 1000.0;
}

// Each line of mosquitto_sub's `-F '%U %p'` output: the arrival time, then the payload.
std::vector<double> DelaysMs(const std::string& path) {
    std::vector<double> delays;
    std::ifstream lines(path);
    std::string line;
    while (std::getline(lines, line)) {
        const double arrived = std::atof(line.c_str());
        const double judged = JudgementTime(line);
        if (arrived > 0 && judged > 0) {
            delays.push_back((arrived - judged) * 1000);
        }
    }
    return delays;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> given(argv + 1, argv + argc);
    const bool publish = std::erase(given, "--no-mqtt") == 0;
    const int ptySensors = !given.empty() ? std::atoi(given[0].c_str()) : kDefaultPtySensors;
    const double seconds = given.size() > 1 ? std::atof(given[1].c_str()) : kDefaultSeconds;
    const int networkSensors = given.size() > 2 ? std::atoi(given[2].c_str()) : 0;
    const std::string pace = given.size() > 3 ? given[3] : "0";
    setenv("TZ", "UTC", 1);
    torv::test::TempDir folder;
    std::vector<std::unique_ptr<torv::test::SimProcess>> sims;
    std::string fleet;
    std::vector<std::string> networkDevices;
    for (int i = 1; i <= ptySensors + networkSensors; ++i) {
        sims.push_back(std::make_unique<torv::test::SimProcess>(
            std::vector<std::string>{"--pace", pace, "--seed", std::to_string(i)}));
        if (i <= ptySensors) {
            fleet += "s" + std::to_string(i) + " " + sims.back()->devicePath() + "\n";
        } else {
            networkDevices.push_back(sims.back()->devicePath());
        }
    }
    std::unique_ptr<torv::test::Ser2netServer> server;
    if (networkSensors > 0) {
        server = std::make_unique<torv::test::Ser2netServer>(networkDevices);
        for (int i = 0; i < networkSensors; ++i) {
            fleet += "n" + std::to_string(i + 1) + " " + server->portName(static_cast<std::size_t>(i)) + "\n";
        }
    }
    torv::test::WriteFileBytes(folder.file("bench.fleet"), fleet);

    std::unique_ptr<torv::test::MosquittoBroker> broker;
    pid_t subscriber = -1;
    if (publish && !torv::test::MosquittoBroker::ProgramPath().empty()) {
        broker = std::make_unique<torv::test::MosquittoBroker>();
        subscriber = Spawn({"mosquitto_sub", "-h", "127.0.0.1", "-p", std::to_string(broker->port()), "-q",
                            "1", "-t", "bench/+/judgement", "-F", "%U %p"},
                           folder.file("received.txt"));
        sleep(1);  // subscribed before the first judgement
    }

    const std::string logs = folder.file("logs");
    std::vector<std::string> words{TORVCTL_PATH, "fleet", "monitor",   folder.file("bench.fleet"),
                                   "--csv-dir",  logs,    "--seconds", std::to_string(seconds)};
    if (broker) {
        words.insert(words.end(), {"--mqtt", broker->url("bench")});
    }
    const pid_t pid = Spawn(words, "/dev/null");
    if (pid < 0) {
        std::fprintf(stderr, "fleet_monitor_bench: cannot start torvctl\n");
        return 1;
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (subscriber > 0) {
        sleep(1);  // what was on its way arrives
        kill(subscriber, SIGTERM);
        waitpid(subscriber, nullptr, 0);
    }

    long long judgements = 0;
    long long networkJudgements = 0;
    for (const auto& entry : std::filesystem::directory_iterator(logs)) {
        const auto count = static_cast<long long>(torv::test::CsvLines(entry.path().string()).size() / 3);
        judgements += count;
        if (entry.path().filename().string().front() == 'n') {
            networkJudgements += count;
        }
    }
    const int sensors = ptySensors + networkSensors;
    const double cpu = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    std::printf(
        "fleet monitor, %d sensors on pseudo-terminals and %d behind one ser2net at --pace %s, %.0f s, "
        "%s (exit %d):\n",
        ptySensors, networkSensors, pace.c_str(), seconds,
        broker ? "publishing to mosquitto" : "not publishing", WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    std::printf("  %lld judgements, %.0f per second (%.0f per sensor)\n", judgements, judgements / seconds,
                judgements / seconds / sensors);
    if (networkSensors > 0) {
        std::printf("  of them through ser2net: %lld, %.0f per second (%.0f per sensor)\n", networkJudgements,
                    networkJudgements / seconds, networkJudgements / seconds / networkSensors);
    }
    std::printf("  torvctl CPU %.2f s user + %.2f s system = %.1f us per judgement (%.0f%% of one core)\n",
                Seconds(usage.ru_utime), Seconds(usage.ru_stime),
                judgements > 0 ? cpu * 1e6 / judgements : 0.0, 100 * cpu / seconds);
    if (broker) {
        const std::vector<double> delays = DelaysMs(folder.file("received.txt"));
        std::printf(
            "  subscriber received %zu judgement messages, %.0f per second (%.1f%% of the judgements)\n",
            delays.size(), static_cast<double>(delays.size()) / seconds,
            judgements > 0 ? 100.0 * static_cast<double>(delays.size()) / static_cast<double>(judgements)
                           : 0.0);
        std::printf("  delay from judgement to subscriber: median %.1f ms, 99th percentile %.1f ms\n",
                    torv::bench::Percentile(delays, 0.5), torv::bench::Percentile(delays, 0.99));
    }
    return 0;
}
