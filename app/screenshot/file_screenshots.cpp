#include "app/screenshot/file_screenshots.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTimer>

#include <iostream>

#include "app/screenshot/framed_picture.h"
#include "dictionary/dic_dlg.h"
#include "ngdata/ng_browser_dlg.h"
#include "ngdata/ngdata_dlg.h"
#include "ui/file_name_field.h"

namespace torv::screenshot {
namespace {

// A pixel on the first printed character of the simulated sensor's images, for the status line.
constexpr QPointF kViewerPointer{30.5, 24.5};
// Time for the window system to map and paint the window before it is grabbed.
constexpr int kPaintDelayMs = 500;
constexpr int kExitFailure = 1;

}  // namespace

int RunViewerScreenshot(OperationState& state, const QString& ngName, const QString& path) {
    state.OperationFileName = FileNameBytes(ngName);
    NgViewerImage image;
    CNgdataDlg viewer(state, image);
    if (!viewer.loaded()) {
        std::cerr << "torvscreenshot: " << state.LastErrorText << '\n';
        return kExitFailure;
    }
    viewer.show();
    bool saved = false;
    QTimer::singleShot(kPaintDelayMs, &viewer, [&] {
        QWidget* picture = viewer.view();
        QMouseEvent move(QEvent::MouseMove, kViewerPointer, picture->mapToGlobal(kViewerPointer),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(picture, &move);
        saved = SaveFramedPicture(viewer, path);
        QCoreApplication::exit();
    });
    QApplication::exec();
    return saved ? 0 : kExitFailure;
}

int RunEditorScreenshot(OperationState& state, const QString& dictionaryName, int appended,
                        const QString& path) {
    state.OperationFileName = FileNameBytes(dictionaryName);
    state.AppendedCharCount = appended;
    CDicDlg editor(state);
    editor.show();
    bool saved = false;
    QTimer::singleShot(kPaintDelayMs, &editor, [&] {
        saved = SaveFramedPicture(editor, path);
        QCoreApplication::exit();
    });
    QApplication::exec();
    return saved ? 0 : kExitFailure;
}

int RunBrowserScreenshot(const QString& folder, const QString& path) {
    NgBrowserDlg browser(folder);
    browser.show();
    bool saved = false;
    QTimer::singleShot(kPaintDelayMs, &browser, [&] {
        saved = SaveFramedPicture(browser, path);
        QCoreApplication::exit();
    });
    QApplication::exec();
    return saved ? 0 : kExitFailure;
}

}  // namespace torv::screenshot
