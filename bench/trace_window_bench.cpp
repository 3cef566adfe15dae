// The protocol trace window's cost: a whole NG data read (`kReadNgData`: 256-byte blocks, the
// longest transfer) against torvsim emulating wire time at 115200 baud, with the window closed and open in
// alternating rounds on one sensor. Prints the median of each and their ratio; the window should cost
// under 5 %.

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "bench/statistics.h"
#include "operations/device_operations.h"
#include "tests/support/scripted_host.h"
#include "tests/support/simulated_sensor.h"
#include "ui/protocol_trace_window.h"

namespace {

using torv::bench::Median;

using Clock = std::chrono::steady_clock;
constexpr int kBaudIndex = 5;  // 115200
constexpr int kRounds = 5;     // of each, alternating
constexpr int kNgDataNumber = 1;

// The transfer dialog's host without a dialog: pumping lets the window's batches through.
class PumpingHost : public torv::test::ScriptedHost {
  public:
    void pumpMessages() override { QCoreApplication::processEvents(); }
};

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    torv::test::SimulatedSensor sensor({"--wire-time", "--baud", "115200"});
    torv::ProtocolTraceWindow window;
    std::vector<double> closed;
    std::vector<double> open;
    int lines = 0;
    for (int round = 0; round < 2 * kRounds; ++round) {
        const bool withWindow = round % 2 == 1;
        if (withWindow) {
            window.show();
        }
        torv::OperationState state;
        state.OperationCode = torv::kReadNgData;
        state.ComPortNumber = sensor.port();
        state.BaudIndex = kBaudIndex;
        state.NgDataNumber = kNgDataNumber;
        state.OperationFileName = sensor.folder().file("round" + std::to_string(round));
        PumpingHost host;
        const auto start = Clock::now();
        const torv::OperationReport report = torv::RunOperationOfState(state, host);
        window.flush();  // what the last batch left counts too
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        if (report.outcome != torv::OperationOutcome::kCompleted) {
            std::fprintf(stderr, "round %d: %s\n", round, report.text.c_str());
            return 1;
        }
        (withWindow ? open : closed).push_back(elapsed);
        if (withWindow) {
            lines = static_cast<int>(window.lines().size());
            window.hide();
        }
    }
    const double withoutWindow = Median(closed);
    const double withWindow = Median(open);
    std::printf(
        "NG read (operation 6) at 115200 baud, %d rounds each: window closed %.3f s, open %.3f s "
        "(%d lines in the end), ratio %.3f\n",
        kRounds, withoutWindow, withWindow, lines, withWindow / withoutWindow);
    return 0;
}
