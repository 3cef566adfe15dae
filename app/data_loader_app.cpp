#include "app/data_loader_app.h"

#include <QFile>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

#include <iostream>

#include "app/data_loader_dlg.h"
#include "app/main_window_ids.h"
#include "app/screenshot_scenes.h"
#include "app/settings_file.h"
#include "app/trace_screenshot.h"
#include "dictionary/dic_dlg.h"
#include "ngdata/ngdata_dlg.h"
#include "remote/remote_dlg.h"
#include "ui/app_icon.h"
#include "ui/control_ids.h"
#include "ui/file_name_field.h"
#include "ui/focus_frame_style.h"

namespace torv {
namespace {

constexpr const char* kScreenshotOption = "--screenshot";
constexpr const char* kViewerScreenshotOption = "--screenshot-viewer";  // NG-NAME PICTURE
constexpr const char* kTraceScreenshotOption = "--trace-screenshot";    // PICTURE
// What --screenshot shows: "main" (the main window as it opens, the default), "monitor" (the main
// window with the monitor running), "remote" (the remote controller), "clock" (the transfer dialog at
// the end of a clock setting) or "params NAME" (the parameter editor on NAME).
constexpr const char* kSceneOption = "--scene";
constexpr const char* kEditorScreenshotOption = "--screenshot-editor";  // DICT-NAME APPENDED PICTURE
constexpr int kEditorScreenshotValues = 3;
// A pixel on the first printed character of the simulated sensor's images, for the status line.
constexpr QPointF kViewerScreenshotPointer{30.5, 24.5};
// Time for the window system to map and paint the window before it is grabbed.
constexpr int kScreenshotDelayMs = 500;
// Time for the monitor to show a few judgements before it is grabbed.
constexpr int kMonitorRunMs = 1500;
constexpr int kExitFailure = 1;

// The value `index` (1, 2, ...) after an option, or an empty text.
QString OptionValue(const QStringList& arguments, const char* name, qsizetype index = 1) {
    const qsizetype option = arguments.indexOf(QString::fromLatin1(name));
    return option >= 0 && option + index < arguments.size() ? arguments[option + index] : QString();
}

QPushButton* Button(const QWidget* window, int id) {
    return FindControl<QPushButton>(window, id);
}

std::string ProgramSettingsPath() {
    return SettingsPathFor(QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString(),
                           UserConfigFolder());
}

}  // namespace

CDataLoaderApp::CDataLoaderApp(int& argc, char** argv) : m_application(argc, argv) {
    m_application.setWindowIcon(ApplicationIcon());
    QApplication::setStyle(new FocusFrameStyle(QApplication::style()->name()));
    const QStringList arguments = QCoreApplication::arguments();
    m_screenshotPath = OptionValue(arguments, kScreenshotOption);
    m_screenshotScene = OptionValue(arguments, kSceneOption);
    m_screenshotSceneName = OptionValue(arguments, kSceneOption, 2);
    m_viewerScreenshotName = OptionValue(arguments, kViewerScreenshotOption);
    m_viewerScreenshotPath = OptionValue(arguments, kViewerScreenshotOption, 2);
    m_traceScreenshotPath = OptionValue(arguments, kTraceScreenshotOption);
    for (int value = 1; value <= kEditorScreenshotValues; ++value) {
        m_editorScreenshot << OptionValue(arguments, kEditorScreenshotOption, value);
    }
}

int CDataLoaderApp::run() {
    if (!m_screenshotPath.isEmpty()) {
        return runScreenshot(m_screenshotPath);
    }
    if (!m_viewerScreenshotPath.isEmpty()) {
        return runViewerScreenshot(m_viewerScreenshotName, m_viewerScreenshotPath);
    }
    if (!m_traceScreenshotPath.isEmpty()) {
        return RunTraceScreenshot(m_state, ProgramSettingsPath(), m_traceScreenshotPath);
    }
    if (!m_editorScreenshot.last().isEmpty()) {
        return runEditorScreenshot(m_editorScreenshot[0], m_editorScreenshot[1].toInt(),
                                   m_editorScreenshot[2]);
    }
    CDataLoaderDlg window(m_state, ProgramSettingsPath());
    window.exec();
    return 0;
}

int CDataLoaderApp::runScreenshot(const QString& path) {
    CDataLoaderDlg window(m_state, ProgramSettingsPath());
    window.show();
    bool saved = false;
    // exit(), not quit(): quit() asks the windows to close, and these refuse all but their own buttons.
    if (m_screenshotScene == QLatin1String("remote")) {
        // The controller opens the port of the main window's lists; Quit ends it after the picture.
        QTimer::singleShot(kScreenshotDelayMs, &window, [&] {
            QTimer::singleShot(kScreenshotDelayMs, &window, [&] {
                for (QWidget* top : QApplication::topLevelWidgets()) {
                    if (auto* remote = qobject_cast<CRemoteDlg*>(top);
                        remote != nullptr && remote->isVisible()) {
                        saved = remote->grab().save(path);
                        Button(remote, CRemoteDlg::kIdQuit)->click();
                    }
                }
                QCoreApplication::exit();
            });
            Button(&window, kIdRemoteControl)->click();
        });
    } else if (m_screenshotScene == QLatin1String("monitor")) {
        // Start Monitor runs its loop inside the click; the picture is taken from within it, then Stop.
        QTimer::singleShot(kScreenshotDelayMs, &window, [&] {
            QTimer::singleShot(kMonitorRunMs, &window, [&] {
                saved = window.grab().save(path);
                Button(&window, kIdStopMonitor)->click();
                QCoreApplication::exit();
            });
            Button(&window, kIdStartMonitor)->click();
        });
    } else if (IsDialogScene(m_screenshotScene)) {
        StartDialogScene(m_screenshotScene, m_screenshotSceneName, window, path, saved);
    } else {
        QTimer::singleShot(kScreenshotDelayMs, &window, [&] {
            saved = window.grab().save(path);
            QCoreApplication::exit();
        });
    }
    QApplication::exec();
    return saved ? 0 : kExitFailure;
}

int CDataLoaderApp::runViewerScreenshot(const QString& ngName, const QString& path) {
    m_state.OperationFileName = FileNameBytes(ngName);
    NgViewerImage image;
    CNgdataDlg viewer(m_state, image);
    if (!viewer.loaded()) {
        std::cerr << "torvloader: " << m_state.LastErrorText << '\n';
        return kExitFailure;
    }
    viewer.show();
    bool saved = false;
    QTimer::singleShot(kScreenshotDelayMs, &viewer, [&] {
        QWidget* picture = viewer.view();
        QMouseEvent move(QEvent::MouseMove, kViewerScreenshotPointer,
                         picture->mapToGlobal(kViewerScreenshotPointer), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(picture, &move);
        saved = viewer.grab().save(path);
        QCoreApplication::exit();
    });
    QApplication::exec();
    return saved ? 0 : kExitFailure;
}

int CDataLoaderApp::runEditorScreenshot(const QString& dictionaryName, int appended, const QString& path) {
    m_state.OperationFileName = FileNameBytes(dictionaryName);
    m_state.AppendedCharCount = appended;
    CDicDlg editor(m_state);
    editor.show();
    bool saved = false;
    QTimer::singleShot(kScreenshotDelayMs, &editor, [&] {
        saved = editor.grab().save(path);
        QCoreApplication::exit();
    });
    QApplication::exec();
    return saved ? 0 : kExitFailure;
}

}  // namespace torv
