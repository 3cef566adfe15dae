#pragma once
// Pictures of the windows that show a file, for the documentation: the NG data viewer, the NG
// browser and the dictionary editor. Neither talks to a sensor.

#include <QString>

#include "engine/operation_state.h"

namespace torv::screenshot {

// Opens the NG data viewer on the NG files named `ngName` (without extension), points at a pixel so the
// status line shows, and saves a picture of it to `path`; the program's exit code.
int RunViewerScreenshot(OperationState& state, const QString& ngName, const QString& path);

// Opens the dictionary editor on `dictionaryName` (without extension) as after a read that appended
// `appended` characters, and saves a picture of it to `path`; the program's exit code.
int RunEditorScreenshot(OperationState& state, const QString& dictionaryName, int appended,
                        const QString& path);

// Opens the NG browser on `folder` and saves a picture of it to `path`.
int RunBrowserScreenshot(const QString& folder, const QString& path);

}  // namespace torv::screenshot
