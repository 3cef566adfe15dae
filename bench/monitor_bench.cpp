// Judgements per second the monitor sustains against torvsim at full speed (a new judgement at every
// poll), with and without the result CSV, and with the CSV and the margin trend as the desktop tool runs
// it, next to a minimal `Y` poll loop on the same pseudo-terminal
// (plain write, poll, read of the same bytes). The monitor should reach at least 90 % of it, and lose
// nothing: its counts and the CSV's records must equal what torvsim's exchange log says it sent.

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <vector>

#include "bench/statistics.h"
#include "link/frames.h"
#include "link/port_names.h"
#include "monitor/margin_trend.h"
#include "monitor/result_csv.h"
#include "monitor/result_monitor.h"
#include "tests/support/sim_files.h"
#include "tests/support/sim_process.h"
#include "tests/support/temp_dir.h"

namespace {

using torv::bench::Median;

using Clock = std::chrono::steady_clock;
constexpr int kPort = 1;
constexpr int kJudgementsPerRound = 1000;
constexpr int kRounds = 21;
constexpr std::array<std::uint8_t, 4> kPollFrame{0x59, 0x00, 0x00, 0xA6};
constexpr std::size_t kReplyBytes = 4;  // ACK, n, status, checksum

// Stops the loop after a round's judgements; shows nothing, and feeds the trend when there is one.
struct RoundHost : torv::MonitorHost {
    RoundHost(torv::OperationState& s, torv::MarginTrend* t) : state(s), trend(t) {}
    void showJudgement(const torv::Judgement& judgement) override {
        if (trend != nullptr) {
            trend->add(judgement, torv::ResultTimeStamp(std::chrono::system_clock::now()));
        }
    }
    void showCount(int) override {
        if (++judged >= kJudgementsPerRound) {
            state.AbortRequest = true;
        }
    }
    void pumpMessages() override {}

    torv::OperationState& state;
    torv::MarginTrend* trend;
    int judged = 0;
};

struct Totals {
    long long judgements = 0;
    long long csvRecords = 0;
};

double MonitorRate(const std::string& csvBase, Totals& totals, torv::MarginTrend* trend = nullptr) {
    torv::OperationState state;
    state.ComPortNumber = kPort;
    torv::ResultMonitor monitor(state);
    if (monitor.openLink() != torv::kLinkOpened || (!csvBase.empty() && !monitor.createCsv(csvBase))) {
        std::fprintf(stderr, "monitor: cannot open the port or the CSV\n");
        return 0;
    }
    RoundHost host(state, trend);
    const auto start = Clock::now();
    const torv::MonitorEnd end = torv::RunMonitorLoop(monitor, state, host);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    monitor.close();
    if (end != torv::MonitorEnd::kStopped) {
        std::fprintf(stderr, "monitor: %s\n", state.LastErrorText.c_str());
    }
    totals.judgements += host.judged;
    if (!csvBase.empty()) {
        const std::string csv = torv::test::ReadFileBytes(csvBase + ".csv");
        totals.csvRecords += std::count(csv.begin(), csv.end(), '\n') / 3;
    }
    return host.judged / seconds;
}

bool ReadExactly(int fd, std::uint8_t* buffer, std::size_t count) {
    std::size_t received = 0;
    while (received < count) {
        pollfd entry{fd, POLLIN, 0};
        if (poll(&entry, 1, torv::kReplyTimeoutMs) <= 0) {
            return false;
        }
        const ssize_t n = read(fd, buffer + received, count - received);
        if (n > 0) {
            received += static_cast<std::size_t>(n);
        }
    }
    return true;
}

// The least a program can do for the same polls on the same line: no checks, no file.
double ReferenceRate(const std::string& device, Totals& totals) {
    const int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    std::array<std::uint8_t, torv::kMaxTrailerSize> buffer{};
    int judged = 0;
    const auto start = Clock::now();
    while (judged < kJudgementsPerRound) {
        if (write(fd, kPollFrame.data(), kPollFrame.size()) != static_cast<ssize_t>(kPollFrame.size()) ||
            !ReadExactly(fd, buffer.data(), kReplyBytes)) {
            break;
        }
        const int count = buffer[1];
        const int judgement = buffer[2] & torv::kJudgementBits;
        if (torv::HasTrailer(count, judgement) && !ReadExactly(fd, buffer.data(), torv::TrailerSize(count))) {
            break;
        }
        judged += judgement != torv::kNoNewJudgement ? 1 : 0;
    }
    const double rate = judged / std::chrono::duration<double>(Clock::now() - start).count();
    close(fd);
    totals.judgements += judged;
    return rate;
}

long long JudgementsSent(const std::string& logPath) {
    long long sent = 0;
    for (const std::string& line : torv::test::ReadLines(logPath)) {
        sent += line.find(" judged=") != std::string::npos ? 1 : 0;
    }
    return sent;
}

}  // namespace

int main() {
    torv::test::TempDir folder;
    const std::string logPath = folder.file("sim.log");
    torv::test::SimProcess sim({"--pace", "0", "--log", logPath});
    torv::SetComPortDevicePath(kPort, sim.devicePath());
    // The line's settings stay on the terminal after the driver closes it, so the reference loop's
    // plain descriptor talks at the sensor's rate too.
    if (torv::OpenLink(kPort, torv::kDefaultBaudIndex) != torv::kLinkOpened) {
        std::fprintf(stderr, "cannot open %s\n", sim.devicePath().c_str());
        return 1;
    }
    torv::CloseLink(kPort);
    // Short rounds of the four loops in turn, so that all see the same machine; medians are compared.
    std::vector<double> reference, plain, withCsv, withTrend;
    Totals totals;
    Totals csvTotals;
    torv::MarginTrend trend;
    for (int round = 0; round < kRounds; ++round) {
        reference.push_back(ReferenceRate(sim.devicePath(), totals));
        plain.push_back(MonitorRate({}, totals));
        withCsv.push_back(MonitorRate(folder.file("result"), csvTotals));
        withTrend.push_back(MonitorRate(folder.file("result"), csvTotals, &trend));
    }
    sim.stop();
    const long long sent = JudgementsSent(logPath);
    const long long received = totals.judgements + csvTotals.judgements;
    std::printf(
        "judgements per second (median of %d rounds of %d): reference Y loop %.0f, monitor %.0f (%.1f %%), "
        "monitor with CSV %.0f (%.1f %%), with CSV and trend %.0f (%.1f %%)\n",
        kRounds, kJudgementsPerRound, Median(reference), Median(plain),
        100.0 * Median(plain) / Median(reference), Median(withCsv),
        100.0 * Median(withCsv) / Median(reference), Median(withTrend),
        100.0 * Median(withTrend) / Median(reference));
    std::printf("the trend took %lld judgements and raised %zu alarms\n", trend.judgements(),
                trend.alarms().size());
    for (const torv::TrendAlarm& alarm : trend.alarms()) {
        std::printf("  judgement %lld: %s\n", alarm.judgement, torv::AlarmText(alarm).c_str());
    }
    std::printf(
        "torvsim sent %lld judgements, the loops counted %lld, the CSV holds %lld of the %lld: %s\n", sent,
        received, csvTotals.csvRecords, csvTotals.judgements,
        sent == received && csvTotals.csvRecords == csvTotals.judgements ? "none lost" : "LOST JUDGEMENTS");
    return 0;
}
