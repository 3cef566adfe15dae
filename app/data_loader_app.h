#pragma once
// The application object: owns the operation state for the whole run and runs the main window
// modally; the program ends when the main window closes.

#include <QApplication>
#include <QString>

#include "link/operation_state.h"

namespace torv {

class CDataLoaderApp {
  public:
    CDataLoaderApp(int& argc, char** argv);

    // Runs the main window until "Exit"; the program's exit code.
    int run();

  private:
    // Shows the main window (with the monitor running, or the remote controller, as --scene says),
    // saves a picture of it to `path` and leaves without touching the settings (for the documentation).
    int runScreenshot(const QString& path);
    // Opens the NG data viewer on the NG files named `ngName` (without extension), points at a pixel
    // so the status line shows, and saves a picture of it to `path`.
    int runViewerScreenshot(const QString& ngName, const QString& path);
    // Opens the dictionary editor on `dictionaryName` (without extension) as after a read that appended
    // `appended` characters, and saves a picture of it to `path`.
    int runEditorScreenshot(const QString& dictionaryName, int appended, const QString& path);

    QApplication m_application;
    OperationState m_state;
    QString m_screenshotPath;
    QString m_screenshotScene;
    QString m_screenshotSceneName;
    QString m_viewerScreenshotName;
    QString m_viewerScreenshotPath;
    QString m_traceScreenshotPath;
    QStringList m_editorScreenshot;  // dictionary name, appended count, picture
};

}  // namespace torv
