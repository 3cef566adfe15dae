#include "app/screenshot_scenes.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <functional>
#include <memory>

#include "app/data_loader_dlg.h"
#include "app/main_window_ids.h"
#include "params/pedit_controls.h"
#include "params/pedit_dlg.h"
#include "ui/comu_dlg.h"
#include "ui/control_ids.h"
#include "ui/user_prompts.h"

namespace torv {
namespace {

constexpr const char* kClockScene = "clock";
constexpr const char* kParametersScene = "params";
constexpr int kLookEveryMs = 100;
constexpr int kSettleMs = 500;    // time to paint once the dialog is ready
constexpr int kGiveUpMs = 20000;  // a scene that never comes ends the program all the same

class YesPrompts : public UserPrompts {
  public:
    bool ask(QWidget*, Caption, Icon, const QString&, Answer) override { return true; }
    void show(QWidget*, Caption, Icon, const QString&) override {}
    QString chooseFileToOpen(QWidget*, const QStringList&) override { return {}; }
    QString chooseFileToSave(QWidget*, const QStringList&) override { return {}; }
};

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
// the event loop.
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
            saved = dialog->grab().save(path);
            leave(dialog);
            QCoreApplication::exit();
        });
    });
    look->start(kLookEveryMs);
}

}  // namespace

bool IsDialogScene(const QString& scene) {
    return scene == QLatin1String(kClockScene) || scene == QLatin1String(kParametersScene);
}

void StartDialogScene(const QString& scene, const QString& name, CDataLoaderDlg& window, const QString& path,
                      bool& saved) {
    static YesPrompts yes;
    SetPrompts(&yes);
    if (scene == QLatin1String(kClockScene)) {
        GrabWhenReady<CComuDlg>(
            path, saved,
            [](CComuDlg* dialog) { return FindControl<QPushButton>(dialog, CComuDlg::kIdOk)->isEnabled(); },
            [](CComuDlg* dialog) { FindControl<QPushButton>(dialog, CComuDlg::kIdOk)->click(); });
        QTimer::singleShot(kSettleMs, &window,
                           [&window] { FindControl<QPushButton>(&window, kIdSetClock)->click(); });
        return;
    }
    FindControl<QLineEdit>(&window, kIdParameterName)->setText(name);
    GrabWhenReady<CPeditDlg>(
        path, saved, [](CPeditDlg*) { return true; },
        [](CPeditDlg* editor) { FindControl<QPushButton>(editor, kExitId)->click(); });
    QTimer::singleShot(kSettleMs, &window,
                       [&window] { FindControl<QPushButton>(&window, kIdEditParameters)->click(); });
}

}  // namespace torv
