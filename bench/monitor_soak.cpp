// Monitor soak: `torvctl monitor --csv` against torvsim at full pace (a new judgement at every poll) for
// a given time, then Ctrl-C. It checks that nothing is lost or grows over a long run: judgements
// counted by the monitor (its stdout lines) = judgements torvsim sent (its exchange log's "judged="
// lines) = records in the result CSV and the files it moved aside at every 21000th judgement, each
// record exactly what was sent with a well-formed time stamp; and torvctl's resident memory at the end
// within 1 MiB of what it was once running.
//
//   monitor_soak [MINUTES]        (default 10; fractions allowed)
//
// The exchange log is read through a FIFO and the full CSV files are checked and removed as they are
// moved aside, so an hour's run (tens of millions of judgements) needs no disk to speak of.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/judgement_log.h"
#include "tests/support/sim_process.h"
#include "tests/support/temp_dir.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr double kDefaultMinutes = 10;
constexpr auto kWarmUp = std::chrono::seconds(5);  // the memory baseline is taken once running
constexpr auto kSampleEvery = std::chrono::seconds(10);
constexpr long kAllowedGrowthKiB = 1024;
constexpr int kPollMs = 100;
constexpr int kLogQuietMs = 2000;
constexpr int kCountWrap = 21000;
constexpr std::size_t kChunk = 1 << 16;

// Lines arriving on a descriptor in pieces.
class LineReader {
  public:
    explicit LineReader(int fd) : m_fd(fd) {}
    int fd() const { return m_fd; }
    // Reads what is there and hands each complete line to `take`; false at the end of input.
    template <typename Take>
    bool read(Take take) {
        char buffer[kChunk];
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n == 0) {
            return false;
        }
        if (n < 0) {
            return true;  // nothing yet
        }
        m_pending.append(buffer, static_cast<std::size_t>(n));
        std::size_t start = 0;
        for (std::size_t end = m_pending.find('\n'); end != std::string::npos;
             end = m_pending.find('\n', start)) {
            take(m_pending.substr(start, end - start));
            start = end + 1;
        }
        m_pending.erase(0, start);
        return true;
    }

  private:
    int m_fd;
    std::string m_pending;
};

long ResidentKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::atol(line.c_str() + 6);
        }
    }
    return -1;
}

struct Figures {
    long long printed = 0;  // the monitor's stdout lines
    long long sent = 0;     // "judged=" in torvsim's log
    long long records = 0;  // CSV records checked against what was sent
    int filesAside = 0;
    long long badPrinted = 0;
    std::string firstProblem;
    long startKiB = 0;
    long endKiB = 0;
    long peakKiB = 0;

    void problem(const std::string& text) {
        if (firstProblem.empty()) {
            firstProblem = text;
        }
    }
};

// One stdout line: judgement, count (1..20999, then 0 at the wrap), best, numerical, alphabetic.
void CheckPrinted(const std::string& line, Figures& f) {
    ++f.printed;
    const std::size_t tab1 = line.find('\t');
    const std::size_t tab2 = line.find('\t', tab1 + 1);
    const std::string text = line.substr(0, tab1);
    const bool judgement = text == "OK" || text == "NG" || text == "--";
    const bool counted = tab2 != std::string::npos &&
                         line.substr(tab1 + 1, tab2 - tab1 - 1) == std::to_string(f.printed % kCountWrap);
    if (!judgement || !counted) {
        ++f.badPrinted;
        f.problem("stdout line " + std::to_string(f.printed) + ": \"" + line + "\"");
    }
}

// Checks the records of a CSV file against the judgements sent, oldest first, and forgets them.
// torvsim's log may trail the CSV by many thousand judgements (its lines cross a FIFO that this
// program reads a chunk at a time), so `catchUp(n)` first reads the log until n judgements are known
// or the log has stopped.
template <typename CatchUp>
void CheckCsvFile(const std::string& path, std::deque<torv::test::SentJudgement>& sent, Figures& f,
                  CatchUp catchUp) {
    const std::vector<std::string> lines = torv::test::CsvLines(path);
    if (lines.size() % 3 != 0) {
        f.problem(path + " holds " + std::to_string(lines.size()) + " lines, not three per judgement");
    }
    catchUp(lines.size() / 3);
    for (std::size_t i = 0; i + 2 < lines.size(); i += 3) {
        if (sent.empty()) {
            f.problem(path + " holds a record torvsim never sent");
            return;
        }
        const std::string problem = torv::test::RecordProblem(sent.front(), &lines[i]);
        if (!problem.empty()) {
            f.problem(path + ", record " + std::to_string(i / 3 + 1) + ": " + problem);
        }
        sent.pop_front();
        ++f.records;
    }
}

std::string AsideName(const std::string& base, int number) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "-%04d.csv", number);
    return base + digits;
}

pid_t StartMonitor(const std::string& device, const std::string& csvBase, int& stdoutFd) {
    int fds[2];
    if (pipe(fds) != 0) {
        return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    std::vector<std::string> words{TORVCTL_PATH, "--port", device, "monitor", "--csv", csvBase};
    std::vector<char*> argv;
    for (std::string& w : words) {
        argv.push_back(w.data());
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, TORVCTL_PATH, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    stdoutFd = fds[0];
    fcntl(stdoutFd, F_SETFL, O_NONBLOCK);
    return spawned == 0 ? pid : -1;
}

}  // namespace

int main(int argc, char** argv) {
    const double minutes = argc > 1 ? std::atof(argv[1]) : kDefaultMinutes;
    const auto duration =
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(minutes * 60));
    torv::test::TempDir folder;
    const std::string fifo = folder.file("exchanges.fifo");
    const std::string csvBase = folder.file("soak");
    if (mkfifo(fifo.c_str(), 0600) != 0) {
        std::perror("mkfifo");
        return 1;
    }
    // Open for reading first, so torvsim's open of its log does not wait for a reader.
    LineReader log(open(fifo.c_str(), O_RDONLY | O_NONBLOCK));
    torv::test::SimProcess sim({"--pace", "0", "--log", fifo});
    int stdoutFd = -1;
    const pid_t monitor = StartMonitor(sim.devicePath(), csvBase, stdoutFd);
    if (log.fd() < 0 || monitor < 0) {
        std::fprintf(stderr, "monitor_soak: cannot start torvctl or read the log\n");
        return 1;
    }
    LineReader printed(stdoutFd);
    Figures f;
    std::deque<torv::test::SentJudgement> sent;
    const auto takeSent = [&](const std::string& line) {
        torv::test::SentJudgement j;
        if (torv::test::ParseSentJudgement(line, j)) {
            ++f.sent;
            sent.push_back(std::move(j));
        }
    };
    // Reads the log until `count` judgements wait to be matched, or it is quiet for a while.
    const auto catchUp = [&](std::size_t count) {
        while (sent.size() < count) {
            pollfd p{log.fd(), POLLIN, 0};
            if (poll(&p, 1, kLogQuietMs) <= 0 || !log.read(takeSent)) {
                return;
            }
        }
    };
    const auto start = Clock::now();
    auto nextSample = start + kWarmUp;
    bool stopped = false;
    bool monitorOpen = true;
    int nextAside = 1;
    for (;;) {
        pollfd fds[2]{{log.fd(), POLLIN, 0}, {printed.fd(), POLLIN, 0}};
        poll(fds, monitorOpen ? 2 : 1, kPollMs);
        log.read(takeSent);
        if (monitorOpen) {
            monitorOpen = printed.read([&](const std::string& line) { CheckPrinted(line, f); });
        }
        // A full CSV is closed, then moved aside under the next number: check it, then make room.
        while (fs::exists(AsideName(csvBase, nextAside))) {
            CheckCsvFile(AsideName(csvBase, nextAside), sent, f, catchUp);
            fs::remove(AsideName(csvBase, nextAside++));
            ++f.filesAside;
        }
        const auto now = Clock::now();
        if (!stopped && now >= nextSample) {
            const long kib = ResidentKiB(monitor);
            f.startKiB = f.startKiB == 0 ? kib : f.startKiB;
            f.endKiB = kib;
            f.peakKiB = std::max(f.peakKiB, kib);
            nextSample = now + kSampleEvery;
        }
        if (!stopped && now - start >= duration) {
            f.endKiB = ResidentKiB(monitor);
            kill(monitor, SIGINT);  // the monitor's ordinary stop
            stopped = true;
        }
        if (!monitorOpen) {
            break;
        }
    }
    int status = 0;
    waitpid(monitor, &status, 0);
    sim.stop();
    while (log.read(takeSent)) {
    }
    for (; fs::exists(AsideName(csvBase, nextAside)); ++nextAside, ++f.filesAside) {
        CheckCsvFile(AsideName(csvBase, nextAside), sent, f, catchUp);
        fs::remove(AsideName(csvBase, nextAside));
    }
    CheckCsvFile(csvBase + ".csv", sent, f, catchUp);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const bool exitedCleanly = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    const bool equal = f.printed == f.sent && f.sent == f.records;
    const bool memoryFlat = f.endKiB - f.startKiB <= kAllowedGrowthKiB;
    std::printf("monitor soak: %.0f s at full pace\n", seconds);
    std::printf("  judgements counted by torvctl: %lld (%.0f per second)\n", f.printed, f.printed / seconds);
    std::printf("  judgements sent by torvsim:    %lld\n", f.sent);
    std::printf("  CSV records checked:           %lld (%d full files moved aside at the 21000th)\n",
                f.records, f.filesAside);
    std::printf("  malformed stdout lines:        %lld\n", f.badPrinted);
    std::printf(
        "  torvctl resident memory:       %ld KiB after %lld s, %ld KiB at the end (%+ld KiB, peak %ld "
        "KiB)\n",
        f.startKiB, static_cast<long long>(std::chrono::duration_cast<std::chrono::seconds>(kWarmUp).count()),
        f.endKiB, f.endKiB - f.startKiB, f.peakKiB);
    std::printf("  torvctl exit: %s\n", exitedCleanly ? "0 (stopped by Ctrl-C)" : "not clean");
    if (!f.firstProblem.empty()) {
        std::printf("  first problem: %s\n", f.firstProblem.c_str());
    }
    const bool passed = equal && memoryFlat && exitedCleanly && f.firstProblem.empty() && f.printed > 0;
    std::printf("  %s\n",
                passed ? "counted = sent = logged, every line well formed, memory flat" : "SOAK FAILED");
    return passed ? 0 : 1;
}
