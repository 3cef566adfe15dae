#pragma once
// What the GUI tests share besides the prompts: controls found by id, torvsim tied to a COM port, a
// stand-in user for the modal windows a button opens, and parameter files formed without the code
// under test.

#include <QTimer>
#include <QWidget>
#include <string>
#include <vector>

#include "link/port_names.h"
#include "params/parameter_set.h"
#include "tests/support/sim_process.h"
#include "ui/control_ids.h"

namespace torv::test {

// Long enough for anything a key might have posted to have run.
inline constexpr int kSettleMs = 100;

// A missing control ends the run with its id rather than with a null pointer.
template <typename Widget = QWidget>
Widget* Get(const QWidget* root, int id) {
    Widget* widget = FindControl<Widget>(root, id);
    if (widget == nullptr) {
        qFatal("no control %d of the expected kind", id);
    }
    return widget;
}

// Shows `window` and waits until it is active, so that keys reach its focused control.
bool ShowActive(QWidget& window);

// torvsim started with `arguments`, its pseudo-terminal tied to COM port `port`.
struct SimPort {
    explicit SimPort(int port, const std::vector<std::string>& arguments = {}) : sim(arguments) {
        SetComPortDevicePath(port, sim.devicePath());
    }
    SimProcess sim;
};

// Whenever a visible window of class `windowClass` has control `readyId` (default: `pressId`)
// enabled, notes its status line and presses `pressId`.
class ModalPresser {
  public:
    ModalPresser(const char* windowClass, int pressId, int readyId = 0);

    int presses = 0;
    QString lastStatus;   // the transfer dialog's status text at the last press
    QString lastPressed;  // the pressed button's text

  private:
    void poll();

    QTimer m_timer;
    const char* m_windowClass;
    int m_pressId;
    int m_readyId;
};

// The bytes of a parameter file (CR LF), formed here line by line.
std::string ParameterFileBytes(const ParameterSet& set);

}  // namespace torv::test
