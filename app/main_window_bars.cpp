#include "app/main_window_bars.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QUrl>
#include <QVBoxLayout>
#include <array>

#include "app/main_window_ids.h"
#include "ui/control_ids.h"
#include "ui/protocol_trace_window.h"

namespace torv {
namespace {

struct ButtonItem {
    const char* text;
    int buttonId;
    QKeyCombination key;  // none: no shortcut
};

// The Sensor menu: the window's device commands in the order of its groups. A write to the sensor
// takes Shift as well, so that no habit of Ctrl+W (close) reaches the sensor.
constexpr std::array kSensorItems{
    ButtonItem{"&Read parameters", kIdReadParameters, QKeyCombination(Qt::CTRL, Qt::Key_R)},
    ButtonItem{"&Write parameters", kIdWriteParameters, QKeyCombination(Qt::CTRL | Qt::SHIFT, Qt::Key_W)},
    ButtonItem{"&Edit parameters", kIdEditParameters, QKeyCombination(Qt::CTRL, Qt::Key_E)},
    ButtonItem{"Read re&cognized characters", kIdReadRecognized, QKeyCombination()},
    ButtonItem{"Read NG c&haracters", kIdReadNgCharacters, QKeyCombination()},
    ButtonItem{"Read expansion &dictionary", kIdReadDictionary, QKeyCombination()},
    ButtonItem{"Write expansion dictionar&y", kIdWriteDictionary,
               QKeyCombination(Qt::CTRL | Qt::SHIFT, Qt::Key_D)},
    ButtonItem{"Edit expansion dictionary", kIdEditDictionary, QKeyCombination(Qt::CTRL, Qt::Key_D)},
    ButtonItem{"Read &NG data", kIdReadNgData, QKeyCombination(Qt::CTRL, Qt::Key_G)},
    ButtonItem{"Displa&y NG data", kIdDisplayNgData, QKeyCombination(Qt::CTRL | Qt::SHIFT, Qt::Key_G)},
    ButtonItem{"Convert all NG data to &CSV", kIdConvertNgData, QKeyCombination()},
    ButtonItem{"&Start monitor", kIdStartMonitor, QKeyCombination(Qt::Key_F5)},
    ButtonItem{"S&top monitor", kIdStopMonitor, QKeyCombination(Qt::SHIFT, Qt::Key_F5)},
    ButtonItem{"Set the &time to TORV", kIdSetClock, QKeyCombination()},
    ButtonItem{"Re&mote control", kIdRemoteControl, QKeyCombination(Qt::CTRL, Qt::Key_K)},
};

// The README beside an installed program (share/doc/...), else the one of the source tree.
QString ReadmePath() {
    const QDir program(QCoreApplication::applicationDirPath());
    for (const QString& candidate :
         {program.filePath(QStringLiteral("../share/doc/torv-data-loader/README.md")),
          program.filePath(QStringLiteral("README.md")), program.filePath(QStringLiteral("../README.md")),
          program.filePath(QStringLiteral("../../README.md"))}) {
        if (QFileInfo::exists(candidate)) {
            return QFileInfo(candidate).canonicalFilePath();
        }
    }
    return {};
}

void AddFileMenu(QMenuBar* bar, MainWindowBars& bars, const MainWindowMenuCommands& commands) {
    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    bars.recentFiles = file->addMenu(QStringLiteral("&Recent files"));
    QAction* browse = file->addAction(QStringLiteral("&Browse NG data..."), commands.browseNgData);
    browse->setShortcut(QKeySequence(QKeyCombination(Qt::CTRL, Qt::Key_B)));
    browse->setObjectName(QStringLiteral("browseNgData"));
    file->addAction(QStringLiteral("&Preferences..."), commands.preferences);
    file->addSeparator();
    file->addAction(QStringLiteral("E&xit"), commands.exit);
}

void AddSensorMenu(QDialog* window, QMenuBar* bar, const MainWindowMenuCommands& commands) {
    QMenu* sensor = bar->addMenu(QStringLiteral("&Sensor"));
    for (const ButtonItem& item : kSensorItems) {
        auto* button = FindControl<QPushButton>(window, item.buttonId);
        QAction* action = sensor->addAction(QString::fromLatin1(item.text), button, &QPushButton::click);
        action->setShortcut(QKeySequence(item.key));
        action->setShortcutContext(Qt::WindowShortcut);
    }
    sensor->addSeparator();
    QAction* trace = sensor->addAction(QStringLiteral("&Protocol trace"), commands.protocolTrace);
    trace->setShortcut(QKeySequence(kProtocolTraceKey));
    trace->setObjectName(QStringLiteral("protocolTrace"));
    QAction* trend = sensor->addAction(QStringLiteral("T&rend"), commands.trend);
    trend->setShortcut(QKeySequence(Qt::Key_F6));
    trend->setObjectName(QStringLiteral("trend"));
}

void AddHelpMenu(QDialog* window, QMenuBar* bar) {
    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->addAction(QStringLiteral("Open &README"), window, [window] {
        const QString path = ReadmePath();
        if (path.isEmpty() || !QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
            QMessageBox::information(window, QStringLiteral("README"),
                                     QStringLiteral("The README was not found beside the program."));
        }
    });
    help->addAction(QStringLiteral("&About"), window, [window] {
        QMessageBox::about(window, QString::fromLatin1(kAboutTitle),
                           QStringLiteral("TORV Data Loader %1\nQt %2")
                               .arg(QStringLiteral(TORV_VERSION), QString::fromLatin1(qVersion())));
    });
}

}  // namespace

MainWindowBars BuildMainWindowBars(QDialog* window, const MainWindowMenuCommands& commands) {
    MainWindowBars bars;
    auto* layout = qobject_cast<QVBoxLayout*>(window->layout());
    auto* menu = new QMenuBar(window);
    AddFileMenu(menu, bars, commands);
    AddSensorMenu(window, menu, commands);
    AddHelpMenu(window, menu);
    layout->setMenuBar(menu);

    auto* status = new QStatusBar(window);
    status->setSizeGripEnabled(false);
    bars.link = new QLabel(status);
    bars.folder = new QLabel(status);
    bars.version = new QLabel(status);
    bars.lastExchange = new QLabel(status);
    bars.publishing = new QLabel(status);
    bars.publishing->setObjectName(QStringLiteral("statusPublishing"));
    bars.link->setObjectName(QStringLiteral("statusLink"));
    bars.version->setObjectName(QStringLiteral("statusVersion"));
    bars.lastExchange->setObjectName(QStringLiteral("statusLastExchange"));
    status->addWidget(bars.link);
    status->addWidget(bars.folder, 1);
    status->addPermanentWidget(bars.version);
    status->addPermanentWidget(bars.publishing);
    status->addPermanentWidget(bars.lastExchange);
    layout->addWidget(status);
    return bars;
}

}  // namespace torv
