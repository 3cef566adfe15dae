#include "cli/interrupts.h"

#include <atomic>
#include <csignal>

#include "cli/cli_context.h"

namespace torv::cli {
namespace {

constexpr int kSignalExitBase = 128;

// Lock-free, so the handler may set it, and read from every thread a fleet runs.
std::atomic<int> g_signal{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void OnStopSignal(int number) {
    int none = 0;
    g_signal.compare_exchange_strong(none, number);
}

}  // namespace

#ifdef _WIN32
void InstallInterruptHandlers() {
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
}
#else
void InstallInterruptHandlers() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a blocking read at a question returns with EINTR
    for (int number : {SIGINT, SIGTERM, SIGHUP}) {
        sigaction(number, &action, nullptr);
    }
}
#endif

int InterruptSignal() {
    return g_signal;
}

int ExitCodeAfterInterrupt(int exitCode) {
    if (exitCode == kExitAborted && g_signal != 0 && g_signal != SIGINT) {
        return kSignalExitBase + g_signal;
    }
    return exitCode;
}

}  // namespace torv::cli
