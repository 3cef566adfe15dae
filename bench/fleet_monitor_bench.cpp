// Fleet monitor throughput: `torvctl fleet monitor --csv-dir` against N torvsims (16 unless told) on
// pseudo-terminals, each judging at every poll (--pace 0), for S seconds (10 unless told). Prints the
// judgements per second of the whole fleet, counted in the CSVs it wrote, and torvctl's processor time
// (user + system) per judgement. The simulators run on the same machine and take their share of it.
//
//   fleet_monitor_bench [SENSORS] [SECONDS]

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/judgement_log.h"
#include "tests/support/sim_process.h"
#include "tests/support/temp_dir.h"

extern char** environ;

namespace {

constexpr int kDefaultSensors = 16;
constexpr double kDefaultSeconds = 10;

double Seconds(const timeval& time) {
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    const int sensors = argc > 1 ? std::atoi(argv[1]) : kDefaultSensors;
    const double seconds = argc > 2 ? std::atof(argv[2]) : kDefaultSeconds;
    torv::test::TempDir folder;
    std::vector<std::unique_ptr<torv::test::SimProcess>> sims;
    std::string fleet;
    for (int i = 1; i <= sensors; ++i) {
        sims.push_back(std::make_unique<torv::test::SimProcess>(
            std::vector<std::string>{"--pace", "0", "--seed", std::to_string(i)}));
        fleet += "s" + std::to_string(i) + " " + sims.back()->devicePath() + "\n";
    }
    torv::test::WriteFileBytes(folder.file("bench.fleet"), fleet);
    const std::string logs = folder.file("logs");
    std::vector<std::string> words{TORVCTL_PATH, "fleet", "monitor",   folder.file("bench.fleet"),
                                   "--csv-dir",  logs,    "--seconds", std::to_string(seconds)};
    std::vector<char*> arguments;
    for (std::string& word : words) {
        arguments.push_back(word.data());
    }
    arguments.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (posix_spawn(&pid, TORVCTL_PATH, &actions, nullptr, arguments.data(), environ) != 0) {
        std::fprintf(stderr, "fleet_monitor_bench: cannot start torvctl\n");
        return 1;
    }
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    long long judgements = 0;
    for (const auto& entry : std::filesystem::directory_iterator(logs)) {
        judgements += static_cast<long long>(torv::test::CsvLines(entry.path().string()).size() / 3);
    }
    const double cpu = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    std::printf("fleet monitor, %d sensors on pseudo-terminals at --pace 0, %.0f s (exit %d):\n", sensors,
                seconds, WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    std::printf("  %lld judgements, %.0f per second (%.0f per sensor)\n", judgements, judgements / seconds,
                judgements / seconds / sensors);
    std::printf("  torvctl CPU %.2f s user + %.2f s system = %.1f us per judgement (%.0f%% of one core)\n",
                Seconds(usage.ru_utime), Seconds(usage.ru_stime),
                judgements > 0 ? cpu * 1e6 / judgements : 0.0, 100 * cpu / seconds);
    return 0;
}
