#include "app/data_loader_app.h"

#include <QFile>
#include <QStyle>

#include "app/data_loader_dlg.h"
#include "app/settings_file.h"
#include "ui/app_icon.h"
#include "ui/colour_scheme.h"
#include "ui/focus_frame_style.h"

namespace torv {

CDataLoaderApp::CDataLoaderApp(int& argc, char** argv) : m_application(argc, argv) {
    m_application.setWindowIcon(ApplicationIcon());
    QApplication::setStyle(new FocusFrameStyle(StyleForColourScheme()));
}

int CDataLoaderApp::run() {
    const std::string settingsPath = SettingsPathFor(
        QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString(), UserConfigFolder());
    CDataLoaderDlg window(m_state, settingsPath);
    // Shown, not run modal: a modal main window would block the protocol trace window.
    QObject::connect(&window, &QDialog::finished, &m_application, &QCoreApplication::quit);
    window.show();
    QApplication::exec();
    return 0;
}

}  // namespace torv
