#pragma once
// Pictures of the main window and the dialogs it opens, for the documentation, taken with the person's
// part played by the program: every question is answered Yes and every message box is passed over.
//   "main"     the main window as it opens;
//   "monitor"  the main window with the monitor running against the sensor on COM1;
//   "remote"   the remote controller opened on the sensor on COM1;
//   "clock"    the transfer dialog at the end of "Set the time to TORV" against the sensor on COM1;
//   "params"   the parameter editor on the file `name` (without extension);
//   "compare"  that editor after "Compare with TORV..." against the sensor on COM1.

#include <QString>
#include <string>

#include "engine/operation_state.h"

namespace torv::screenshot {

// Shows the main window with the settings of `settingsPath` (never written), plays the scene, saves its
// picture to `path` and leaves; the program's exit code.
int RunMainWindowScene(const QString& scene, const QString& name, OperationState& state,
                       const std::string& settingsPath, const QString& path);

}  // namespace torv::screenshot
