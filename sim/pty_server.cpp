#include "sim/pty_server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "sim/line_settings.h"
#include "sim/state_file.h"

namespace torv::sim {
namespace {

constexpr std::chrono::milliseconds kDelayFault{1500};  // past the tool's 1000 ms time-out
// The reply that never ends: the ACK and its first data byte at once, then one byte this far apart, so
// that a read timed by the gap between bytes alone would never end.
constexpr std::chrono::milliseconds kEndlessByteGap{900};
constexpr std::size_t kEndlessHead = 2;
constexpr std::uint8_t kEndlessFiller = 0xFF;
constexpr std::chrono::milliseconds kRateFollowWait{100};  // the sensor's time to store before answering
constexpr std::chrono::milliseconds kRateFollowPoll{1};
constexpr std::chrono::milliseconds kWriteTimeout{1000};  // a tool that never reads does not stall us
constexpr std::chrono::milliseconds kIdleRetry{10};
constexpr std::chrono::microseconds kSpinMargin{100};
constexpr std::size_t kReadChunk = 512;
constexpr long kPreciseTimerSlackNs = 1;
constexpr long long kNanosPerSecond = 1'000'000'000LL;

volatile std::sig_atomic_t g_stopRequested = 0;

void RequestStop(int) {
    g_stopRequested = 1;
}

constexpr int kStopSignals[] = {SIGTERM, SIGINT, SIGHUP};

SimTime Now() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return SimTime(static_cast<long long>(ts.tv_sec) * kNanosPerSecond + ts.tv_nsec);
}

void SleepUntil(SimTime when) {
    const long long ns = when.count();
    const timespec ts{static_cast<time_t>(ns / kNanosPerSecond), static_cast<long>(ns % kNanosPerSecond)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

// A timed sleep wakes some tens of microseconds late, which at 115200 baud is a good part of a byte
// time; so the last stretch before a wire-time deadline is waited out on the clock.
void SleepUntilPrecisely(SimTime when) {
    SleepUntil(when - kSpinMargin);
    while (Now() < when) {
    }
}

SimTime ByteTime(int rate) {
    return SimTime(kBitsPerByte * kNanosPerSecond / std::max(rate, 1));
}

// Stop signals are held back except while the server waits for input, so a stop never cuts an
// exchange in half; the handler only raises a flag that the loop reads.
sigset_t InstallStopHandlers() {
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    sigset_t stops;
    sigemptyset(&stops);
    for (int s : kStopSignals) {
        sigaction(s, &action, nullptr);
        sigaddset(&stops, s);
    }
    sigset_t previous;
    sigprocmask(SIG_BLOCK, &stops, &previous);
    for (int s : kStopSignals) {
        sigdelset(&previous, s);
    }
    return previous;
}

}  // namespace

PtyServer::PtyServer(SensorModel& model, const FaultPlan& faults, ServerOptions options)
    : m_model(model), m_machine(model, faults), m_options(std::move(options)) {}

PtyServer::~PtyServer() {
    if (m_master >= 0) {
        ::close(m_master);
    }
    if (m_slave >= 0) {
        ::close(m_slave);
    }
}

ServerResult PtyServer::open() {
    m_servingMask = InstallStopHandlers();
    prctl(PR_SET_TIMERSLACK, kPreciseTimerSlackNs);
    m_master = posix_openpt(O_RDWR | O_NOCTTY);
    std::array<char, 128> name{};
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0 ||
        ptsname_r(m_master, name.data(), name.size()) != 0) {
        return ServerResult::kPtyFailed;
    }
    m_slavePath = name.data();
    // Holding the slave open ourselves keeps the line up while the tool closes and reopens its side.
    m_slave = ::open(m_slavePath.c_str(), O_RDWR | O_NOCTTY);
    if (m_slave < 0 || !MakeRawAtRate(m_slave, m_model.state().rate) ||
        fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK) != 0) {
        return ServerResult::kPtyFailed;
    }
    if (!m_options.logPath.empty() && !m_log.open(m_options.logPath)) {
        return ServerResult::kLogFailed;
    }
    if (!m_options.linkName.empty() && !m_link.create(m_options.linkName, m_slavePath)) {
        return ServerResult::kLinkFailed;
    }
    m_model.advanceTo(Now());  // the simulated line starts running now
    std::cout << m_slavePath << std::endl;
    trace("serving at " + std::to_string(m_model.state().rate) + " baud");
    return ServerResult::kOk;
}

int PtyServer::run() {
    std::array<std::uint8_t, kReadChunk> buffer{};
    while (g_stopRequested == 0) {
        pollfd p{m_master, POLLIN, 0};
        if (ppoll(&p, 1, nullptr, &m_servingMask) < 0) {
            continue;  // a stop signal: the loop condition sees it
        }
        const ssize_t n = ::read(m_master, buffer.data(), buffer.size());
        if (n <= 0) {
            if (n < 0 && errno != EAGAIN && errno != EINTR) {
                SleepUntil(Now() + kIdleRetry);  // the line is down for a moment; do not spin
            }
            continue;
        }
        if (!handleInput(std::span(buffer.data(), static_cast<std::size_t>(n)), Now())) {
            trace("hang-up fault");
            break;
        }
    }
    return finish();
}

bool PtyServer::handleInput(std::span<const std::uint8_t> bytes, SimTime now) {
    traceBytes("<-", bytes);
    const int toolRate = ReadLineRate(m_master);
    if (toolRate != m_model.state().rate && !m_machine.completesStoreTo(bytes, toolRate)) {
        // Bytes sent at another rate reach the sensor as noise.
        m_machine.resetParser();
        m_log.write(FormatGarbageLine(bytes.size(), false));
        trace("rate mismatch: dropped " + std::to_string(bytes.size()) + " bytes");
        return true;
    }
    for (std::uint8_t byte : bytes) {
        const ProtocolEvent event = m_machine.feed(byte, now);
        if (event.outcome == FrameOutcome::kPending) {
            continue;
        }
        m_log.write(FormatEventLine(event));
        trace(FormatEventLine(event));
        if (event.fault == FaultKind::kHangup) {
            return false;
        }
        answer(event);
        showPanel(event);
    }
    return true;
}

void PtyServer::answer(const ProtocolEvent& event) {
    if (event.stored) {
        saveState();
        awaitToolRate();
    }
    if (event.reply.empty()) {
        return;
    }
    if (m_options.wireTime) {
        SleepUntilPrecisely(deliveryTime(event));
    }
    if (event.fault == FaultKind::kDelay) {
        SleepUntil(Now() + kDelayFault);
    }
    if (event.fault == FaultKind::kEndless) {
        sendEndlessly(event.reply);
        return;
    }
    send(event.reply);
}

void PtyServer::sendEndlessly(const std::vector<std::uint8_t>& reply) {
    std::size_t sent = std::min(reply.size(), kEndlessHead);
    send(std::vector<std::uint8_t>(reply.begin(), reply.begin() + static_cast<std::ptrdiff_t>(sent)));
    const long long gap = std::chrono::nanoseconds(kEndlessByteGap).count();
    const timespec wait{static_cast<time_t>(gap / kNanosPerSecond), static_cast<long>(gap % kNanosPerSecond)};
    while (g_stopRequested == 0) {
        pollfd p{m_master, POLLIN, 0};
        const int ready = ppoll(&p, 1, &wait, &m_servingMask);
        if (ready > 0) {
            return;  // the tool sends again: its frame is served as any other
        }
        if (ready == 0) {
            send({sent < reply.size() ? reply[sent++] : kEndlessFiller});
        }
    }
}

SimTime PtyServer::deliveryTime(const ProtocolEvent& event) const {
    // The command and the reply both had to cross the line, 10 bits a byte at the present rate.
    const auto bytesOnLine = static_cast<SimTime::rep>(kCommandFrameSize + event.reply.size());
    return event.frameStart + SimTime(ByteTime(m_model.state().rate).count() * bytesOnLine);
}

void PtyServer::awaitToolRate() {
    const SimTime deadline = Now() + kRateFollowWait;
    while (ReadLineRate(m_master) != m_model.state().rate && Now() < deadline) {
        SleepUntil(Now() + kRateFollowPoll);
    }
}

void PtyServer::send(const std::vector<std::uint8_t>& reply) {
    if (ReadLineRate(m_master) == m_model.state().rate) {
        traceBytes("->", reply);
        writeAll(reply);
        return;
    }
    // Sent at a rate the tool is not listening at, the reply arrives as the same number of bad bytes.
    m_log.write(FormatGarbageLine(reply.size(), true));
    trace("rate mismatch: reply sent as garbage");
    writeAll(std::vector<std::uint8_t>(reply.size(), 0));
}

void PtyServer::writeAll(const std::vector<std::uint8_t>& bytes) {
    const SimTime deadline = Now() + kWriteTimeout;
    std::size_t done = 0;
    while (done < bytes.size() && Now() < deadline) {
        const ssize_t n = ::write(m_master, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            return;
        }
        pollfd p{m_master, POLLOUT, 0};
        poll(&p, 1, static_cast<int>(kIdleRetry.count()));
    }
}

void PtyServer::saveState() {
    if (m_options.statePath.empty()) {
        return;
    }
    if (SaveStateFile(m_options.statePath, m_model.state()) != StateFileResult::kSaved) {
        trace("cannot save the state file " + m_options.statePath);
    }
}

int PtyServer::finish() {
    // The line goes down first, as when the sensor is switched off; then the link and the state.
    ::close(m_master);
    m_master = -1;
    ::close(m_slave);
    m_slave = -1;
    m_link.remove();
    saveState();
    trace("stopped");
    return EXIT_SUCCESS;
}

// The panel is the sensor's display: what a key did is always shown, not only with --verbose.
void PtyServer::showPanel(const ProtocolEvent& event) const {
    if (event.outcome == FrameOutcome::kExchange && event.frame[0] == kKeyPress &&
        event.fault != FaultKind::kSilence) {
        std::cerr << "torvsim: " << m_model.describePanel(event.frame[1]) << std::endl;
    }
}

void PtyServer::trace(const std::string& text) const {
    if (m_options.verbose && !text.empty()) {
        std::cerr << "torvsim: " << text << std::endl;
    }
}

void PtyServer::traceBytes(const char* direction, std::span<const std::uint8_t> bytes) const {
    if (!m_options.verbose) {
        return;
    }
    std::string line = direction;
    for (std::uint8_t b : bytes) {
        std::array<char, 4> hex{};
        std::snprintf(hex.data(), hex.size(), " %02X", b);
        line += hex.data();
    }
    std::cerr << "torvsim: " << line << std::endl;
}

}  // namespace torv::sim
