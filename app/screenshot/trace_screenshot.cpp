#include "app/screenshot/trace_screenshot.h"

#include <QApplication>

#include "app/data_loader_dlg.h"
#include "app/screenshot/framed_picture.h"
#include "link/frames.h"
#include "operations/device_operations.h"
#include "ui/protocol_trace_window.h"

namespace torv::screenshot {
namespace {

constexpr int kDemoPort = 1;
constexpr int kDemoBaudIndex = 4;  // 57600
constexpr int kDemoRuns = 3;

// An operation run without its dialog: every question answered Yes, nothing shown.
class QuietHost : public OperationHost {
  public:
    bool ask(Caption, Icon, std::string_view, Answer) override { return true; }
    void show(Caption, Icon, std::string_view) override {}
    void setStatus(std::string_view) override {}
    void setProgress(int) override {}
    void pumpMessages() override { QCoreApplication::processEvents(); }
};

}  // namespace

int RunTraceScreenshot(OperationState& state, const std::string& settingsPath, const QString& path) {
    CDataLoaderDlg window(state, settingsPath);
    window.show();
    ProtocolTraceWindow& trace = window.showProtocolTrace();
    QuietHost host;
    for (int run = 0; run < kDemoRuns; ++run) {
        state.OperationCode = kSetClock;
        state.ComPortNumber = kDemoPort;
        state.BaudIndex = kDemoBaudIndex;
        RunOperationOfState(state, host);
    }
    trace.flush();
    return ShowAndSavePicture(trace, path);
}

}  // namespace torv::screenshot
