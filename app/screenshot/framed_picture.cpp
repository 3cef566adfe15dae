#include "app/screenshot/framed_picture.h"

#include <QApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace torv::screenshot {
namespace {

constexpr int kPaintDelayMs = 500;

}  // namespace

bool SaveFramedPicture(QWidget& window, const QString& path) {
    const QRect frame = window.frameGeometry();
    QPixmap picture;
    if (frame != window.geometry() && window.screen() != nullptr) {
        const QRect screen = window.screen()->geometry();
        picture = window.screen()->grabWindow(0, frame.x() - screen.x(), frame.y() - screen.y(),
                                              frame.width(), frame.height());
    }
    if (picture.isNull()) {
        picture = window.grab();
    }
    return picture.save(path);
}

int ShowAndSavePicture(QWidget& window, const QString& path, const std::function<void()>& beforePicture) {
    window.show();
    bool saved = false;
    QTimer::singleShot(kPaintDelayMs, &window, [&] {
        if (beforePicture) {
            beforePicture();
        }
        saved = SaveFramedPicture(window, path);
        QCoreApplication::exit();
    });
    QApplication::exec();
    return saved ? 0 : kExitFailure;
}

}  // namespace torv::screenshot
