#pragma once
// Pictures of the tool's dialogs for the documentation, taken with the person's part played by the
// program: every question is answered Yes and every message box is passed over.
//   "clock"   the transfer dialog at the end of "Set the time to TORV" against the sensor on COM1;
//   "params"  the parameter editor on the file `name` (without extension).

#include <QString>

namespace torv {

class CDataLoaderDlg;

bool IsDialogScene(const QString& scene);

// Starts the scene in the shown main window; when the picture is taken (or could not be), `saved` says
// so and the event loop is left.
void StartDialogScene(const QString& scene, const QString& name, CDataLoaderDlg& window, const QString& path,
                      bool& saved);

}  // namespace torv
