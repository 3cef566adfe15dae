#pragma once
// The protocol trace's picture for the documentation (torvscreenshot trace PICTURE, run by
// tools/screenshot.sh trace): the main window and its trace window after three runs of "Set the time"
// on COM1 at 57600 baud, without a question, against a simulated sensor that answers the first with a
// NAK, the second with a wrong checksum and the third not at all.

#include <QString>
#include <string>

#include "engine/operation_state.h"

namespace torv::screenshot {

// Runs the demonstration and saves the trace window's picture; the program's exit code.
int RunTraceScreenshot(OperationState& state, const std::string& settingsPath, const QString& path);

}  // namespace torv::screenshot
