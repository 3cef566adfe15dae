#include "app/screenshot/screenshot_scenes.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <functional>
#include <memory>

#include "app/data_loader_dlg.h"
#include "app/main_window_ids.h"
#include "app/screenshot/framed_picture.h"
#include "app/trend_window.h"
#include "params/pedit_controls.h"
#include "params/pedit_dlg.h"
#include "remote/remote_dlg.h"
#include "ui/comu_dlg.h"
#include "ui/control_ids.h"
#include "ui/user_prompts.h"

namespace torv::screenshot {
namespace {

constexpr int kLookEveryMs = 100;
constexpr int kSettleMs = 500;       // time for the window system to map and paint before the picture
constexpr int kMonitorRunMs = 1500;  // time for the monitor to show a few judgements
constexpr int kGiveUpMs = 20000;     // a scene that never comes ends the program all the same
// The fading print of the trend scene (tools/screenshot.sh) alarms a few hundred judgements after its
// baseline of 1000 and turns NG at 4001: the picture comes between.
constexpr int kTrendSceneJudgements = 3600;
constexpr int kTrendWindowWidth = 1100;
constexpr int kTrendWindowHeight = 900;

class YesPrompts : public UserPrompts {
  public:
    bool ask(QWidget*, Caption, Icon, const QString&, Answer) override { return true; }
    void show(QWidget*, Caption, Icon, const QString&) override {}
    QString chooseFileToOpen(QWidget*, const QStringList&) override { return {}; }
    QString chooseFileToSave(QWidget*, const QStringList&) override { return {}; }
};

QPushButton* Button(const QWidget* window, int id) {
    return FindControl<QPushButton>(window, id);
}

template <typename Dialog>
Dialog* VisibleDialog() {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<Dialog*>(top); dialog != nullptr && dialog->isVisible()) {
            return dialog;
        }
    }
    return nullptr;
}

// Looks for the scene's dialog until `ready` finds it; then grabs it, lets `leave` close it and ends
// the event loop. exit(), not quit(): quit() asks the windows to close, and these refuse all but their
// own buttons.
template <typename Dialog>
void GrabWhenReady(const QString& path, bool& saved, std::function<bool(Dialog*)> ready,
                   std::function<void(Dialog*)> leave) {
    auto* look = new QTimer(qApp);
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    QObject::connect(look, &QTimer::timeout, look, [=, &saved] {
        Dialog* dialog = VisibleDialog<Dialog>();
        if (dialog == nullptr || !ready(dialog)) {
            if (started->elapsed() > kGiveUpMs) {
                look->stop();
                QCoreApplication::exit();
            }
            return;
        }
        look->stop();
        QTimer::singleShot(kSettleMs, dialog, [=, &saved] {
            saved = SaveFramedPicture(*dialog, path);
            leave(dialog);
            QCoreApplication::exit();
        });
    });
    look->start(kLookEveryMs);
}

// The controller opens the port of the main window's lists; Quit ends it after the picture.
void StartRemoteScene(CDataLoaderDlg& window, const QString& path, bool& saved) {
    GrabWhenReady<CRemoteDlg>(
        path, saved, [](CRemoteDlg*) { return true; },
        [](CRemoteDlg* remote) { Button(remote, CRemoteDlg::kIdQuit)->click(); });
    QTimer::singleShot(kSettleMs, &window, [&window] { Button(&window, kIdRemoteControl)->click(); });
}

// Start Monitor runs its loop inside the click; the picture is taken from within it, then Stop.
void StartMonitorScene(CDataLoaderDlg& window, const QString& path, bool& saved) {
    QTimer::singleShot(kSettleMs, &window, [&window, &path, &saved] {
        QTimer::singleShot(kMonitorRunMs, &window, [&window, &path, &saved] {
            saved = SaveFramedPicture(window, path);
            Button(&window, kIdStopMonitor)->click();
            QCoreApplication::exit();
        });
        Button(&window, kIdStartMonitor)->click();
    });
}

void StartClockScene(CDataLoaderDlg& window, const QString& path, bool& saved) {
    GrabWhenReady<CComuDlg>(
        path, saved, [](CComuDlg* dialog) { return Button(dialog, CComuDlg::kIdOk)->isEnabled(); },
        [](CComuDlg* dialog) { Button(dialog, CComuDlg::kIdOk)->click(); });
    QTimer::singleShot(kSettleMs, &window, [&window] { Button(&window, kIdSetClock)->click(); });
}

// "Read parameters from TORV" into the file `name`: the transfer dialog at its end, then OK. The file
// stays, for a comparison with what another build read.
void StartReadScene(CDataLoaderDlg& window, const QString& name, const QString& path, bool& saved) {
    FindControl<QLineEdit>(&window, kIdParameterName)->setText(name);
    GrabWhenReady<CComuDlg>(
        path, saved, [](CComuDlg* dialog) { return Button(dialog, CComuDlg::kIdOk)->isEnabled(); },
        [](CComuDlg* dialog) { Button(dialog, CComuDlg::kIdOk)->click(); });
    QTimer::singleShot(kSettleMs, &window, [&window] { Button(&window, kIdReadParameters)->click(); });
}

void StartParametersScene(CDataLoaderDlg& window, const QString& name, const QString& path, bool& saved) {
    FindControl<QLineEdit>(&window, kIdParameterName)->setText(name);
    GrabWhenReady<CPeditDlg>(
        path, saved, [](CPeditDlg*) { return true; },
        [](CPeditDlg* editor) { Button(editor, kIdPeditExit)->click(); });
    QTimer::singleShot(kSettleMs, &window, [&window] { Button(&window, kIdEditParameters)->click(); });
}

// The editor after "Compare with TORV...": the transfer dialog's OK is pressed as soon as it can be,
// and the picture taken once a field is marked.
void StartCompareScene(CDataLoaderDlg& window, const QString& name, const QString& path, bool& saved) {
    FindControl<QLineEdit>(&window, kIdParameterName)->setText(name);
    auto* pressOk = new QTimer(qApp);
    QObject::connect(pressOk, &QTimer::timeout, pressOk, [] {
        if (CComuDlg* transfer = VisibleDialog<CComuDlg>(); transfer != nullptr) {
            if (QPushButton* ok = Button(transfer, CComuDlg::kIdOk); ok->isEnabled()) {
                ok->click();
            }
        }
    });
    pressOk->start(kLookEveryMs);
    GrabWhenReady<CPeditDlg>(
        path, saved,
        [](CPeditDlg* editor) {
            for (const QWidget* control : editor->findChildren<QWidget*>()) {
                if (control->property(CPeditDlg::kDiffersProperty).toBool()) {
                    return true;
                }
            }
            auto* compare = editor->findChild<QPushButton*>(QStringLiteral("compare"));
            if (compare != nullptr && compare->isEnabled() && VisibleDialog<CComuDlg>() == nullptr) {
                QTimer::singleShot(0, compare, &QPushButton::click);
            }
            return false;
        },
        [](CPeditDlg* editor) { Button(editor, kIdPeditExit)->click(); });
    QTimer::singleShot(kSettleMs, &window, [&window] { Button(&window, kIdEditParameters)->click(); });
}

// The Trend window following the monitor on a fading print, taken once the alarm has come and the
// print is near its end; then Stop.
void StartTrendScene(CDataLoaderDlg& window, const QString& path, bool& saved) {
    QTimer::singleShot(kSettleMs, &window, [&window, &path, &saved] {
        TrendWindow& trend = window.showTrend();
        trend.resize(kTrendWindowWidth, kTrendWindowHeight);
        auto* look = new QTimer(&window);
        QObject::connect(look, &QTimer::timeout, &window, [&window, &trend, &path, &saved, look] {
            if (FindControl<QLabel>(&window, kIdJudgementCount)->text().toInt() < kTrendSceneJudgements) {
                return;
            }
            look->stop();
            trend.refresh();
            QTimer::singleShot(kSettleMs, &window, [&window, &trend, &path, &saved] {
                saved = SaveFramedPicture(trend, path);
                Button(&window, kIdStopMonitor)->click();
                QCoreApplication::exit();
            });
        });
        look->start(kLookEveryMs);
        Button(&window, kIdStartMonitor)->click();
    });
}

void StartMainScene(CDataLoaderDlg& window, const QString& path, bool& saved) {
    QTimer::singleShot(kSettleMs, &window, [&window, &path, &saved] {
        saved = SaveFramedPicture(window, path);
        QCoreApplication::exit();
    });
}

}  // namespace

int RunMainWindowScene(const QString& scene, const QString& name, OperationState& state,
                       const std::string& settingsPath, const QString& path) {
    static YesPrompts yes;
    SetPrompts(&yes);
    CDataLoaderDlg window(state, settingsPath);
    window.show();
    bool saved = false;
    if (scene == QLatin1String("remote")) {
        StartRemoteScene(window, path, saved);
    } else if (scene == QLatin1String("monitor")) {
        StartMonitorScene(window, path, saved);
    } else if (scene == QLatin1String("trend")) {
        StartTrendScene(window, path, saved);
    } else if (scene == QLatin1String("clock")) {
        StartClockScene(window, path, saved);
    } else if (scene == QLatin1String("read")) {
        StartReadScene(window, name, path, saved);
    } else if (scene == QLatin1String("params")) {
        StartParametersScene(window, name, path, saved);
    } else if (scene == QLatin1String("compare")) {
        StartCompareScene(window, name, path, saved);
    } else {
        StartMainScene(window, path, saved);
    }
    QApplication::exec();
    return saved ? 0 : kExitFailure;
}

}  // namespace torv::screenshot
