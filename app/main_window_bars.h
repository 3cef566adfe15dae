#pragma once
// The main window's menu bar and status bar, around the controls it has always had. Every command of
// the window is also a menu item, most with a shortcut (an item presses its button, so a command the
// window has disabled does nothing); the status bar tells the port and rate the next operation uses,
// the folder names without one are in, the sensor's software version once an operation has read it,
// and how the last exchange went.

#include <QString>
#include <functional>

class QDialog;
class QLabel;
class QMenu;

namespace torv {

struct MainWindowBars {
    QLabel* link = nullptr;          // "COM3, 57600 baud"
    QLabel* folder = nullptr;        // "Folder: /home/op/lines"
    QLabel* version = nullptr;       // "TORV software 0105"
    QLabel* lastExchange = nullptr;  // "last reply 12:03:41, ok"
    QLabel* publishing = nullptr;    // "MQTT: connected to broker.plant:1883"; empty when not used
    QMenu* recentFiles = nullptr;    // filled by the window before it opens
};

struct MainWindowMenuCommands {
    std::function<void()> browseNgData;
    std::function<void()> preferences;
    std::function<void()> protocolTrace;
    std::function<void()> trend;
    std::function<void()> exit;
};

// Adds both bars to `window`, whose layout BuildMainWindowLayout has made.
MainWindowBars BuildMainWindowBars(QDialog* window, const MainWindowMenuCommands& commands);

inline constexpr const char* kAboutTitle = "About TORV Data Loader";

}  // namespace torv
