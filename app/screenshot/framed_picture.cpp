#include "app/screenshot/framed_picture.h"

#include <QPixmap>
#include <QScreen>
#include <QWidget>

namespace torv::screenshot {

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

}  // namespace torv::screenshot
