#include "app/data_loader_app.h"

#include <QFile>
#include <QPixmap>
#include <QTimer>

#include "app/data_loader_dlg.h"
#include "app/settings_file.h"
#include "ui/app_icon.h"

namespace torv {
namespace {

constexpr const char* kScreenshotOption = "--screenshot";
// Time for the window system to map and paint the window before it is grabbed.
constexpr int kScreenshotDelayMs = 500;
constexpr int kExitFailure = 1;

QString ScreenshotPath(const QStringList& arguments) {
    const qsizetype option = arguments.indexOf(QString::fromLatin1(kScreenshotOption));
    return option >= 0 && option + 1 < arguments.size() ? arguments[option + 1] : QString();
}

std::string ProgramSettingsPath() {
    return SettingsPathFor(QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString(),
                           UserConfigFolder());
}

}  // namespace

CDataLoaderApp::CDataLoaderApp(int& argc, char** argv) : m_application(argc, argv) {
    m_application.setWindowIcon(ApplicationIcon());
    m_screenshotPath = ScreenshotPath(QCoreApplication::arguments());
}

int CDataLoaderApp::run() {
    if (!m_screenshotPath.isEmpty()) {
        return runScreenshot(m_screenshotPath);
    }
    CDataLoaderDlg window(m_state, ProgramSettingsPath());
    window.exec();
    return 0;
}

int CDataLoaderApp::runScreenshot(const QString& path) {
    CDataLoaderDlg window(m_state, ProgramSettingsPath());
    window.show();
    bool saved = false;
    QTimer::singleShot(kScreenshotDelayMs, &window, [&] {
        saved = window.grab().save(path);
        // exit(), not quit(): quit() asks the windows to close, and this one refuses all but "Exit".
        QCoreApplication::exit();
    });
    QApplication::exec();
    return saved ? 0 : kExitFailure;
}

}  // namespace torv
