#include "ui/screen_fit.h"

#include <QDialog>
#include <QLayout>
#include <QScreen>

#include <algorithm>

namespace torv {
// The window manager's frame (title bar and borders) is known only once it has framed the window,
// which it does after the first show: until then, room is left for a generous one.
void FitDialogToScreen(QDialog* dialog, const QWidget* body, const QWidget* footer, int bodyExtraWidth) {
    if (dialog->screen() == nullptr || dialog->layout() == nullptr) {
        return;
    }
    const QSize frame =
        (dialog->frameGeometry().size() - dialog->geometry().size()).expandedTo(kFitFrameMargin);
    const QRect available = dialog->screen()->availableGeometry();
    const QSize room = available.size() - frame;
    const QMargins margins = dialog->layout()->contentsMargins();
    const QSize bodyWants = body->sizeHint();
    const QSize footerWants = footer->sizeHint();
    const QSize wanted(
        std::max(bodyWants.width() + bodyExtraWidth, footerWants.width()) + margins.left() + margins.right(),
        bodyWants.height() + dialog->layout()->spacing() + footerWants.height() + margins.top() +
            margins.bottom());
    dialog->resize(wanted.boundedTo(room));
    // Placed where its frame stays inside the available area, title bar included.
    const QPoint framed = dialog->pos();
    const int x =
        std::clamp(framed.x(), available.left(), available.right() + 1 - dialog->width() - frame.width());
    const int y =
        std::clamp(framed.y(), available.top(), available.bottom() + 1 - dialog->height() - frame.height());
    if (dialog->isVisible() && QPoint(x, y) != framed) {
        dialog->move(x, y);
    }
}

}  // namespace torv
