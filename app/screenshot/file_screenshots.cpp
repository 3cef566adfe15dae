#include "app/screenshot/file_screenshots.h"

#include <QApplication>
#include <QMouseEvent>

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

}  // namespace

int RunViewerScreenshot(OperationState& state, const QString& ngName, const QString& path) {
    state.OperationFileName = FileNameBytes(ngName);
    NgViewerImage image;
    CNgdataDlg viewer(state, image);
    if (!viewer.loaded()) {
        std::cerr << "torvscreenshot: " << state.LastErrorText << '\n';
        return kExitFailure;
    }
    return ShowAndSavePicture(viewer, path, [&viewer] {
        QWidget* picture = viewer.view();
        QMouseEvent move(QEvent::MouseMove, kViewerPointer, picture->mapToGlobal(kViewerPointer),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(picture, &move);
    });
}

int RunEditorScreenshot(OperationState& state, const QString& dictionaryName, int appended,
                        const QString& path) {
    state.OperationFileName = FileNameBytes(dictionaryName);
    state.AppendedCharCount = appended;
    CDicDlg editor(state);
    return ShowAndSavePicture(editor, path);
}

int RunBrowserScreenshot(const QString& folder, const QString& path) {
    NgBrowserDlg browser(folder);
    return ShowAndSavePicture(browser, path);
}

}  // namespace torv::screenshot
