#include "ui/screen_fit.h"

#include <QDialog>
#include <QLayout>
#include <QScreen>

#include <algorithm>

namespace torv {

void FitDialogToScreen(QDialog* dialog, const QWidget* body, const QWidget* footer, int bodyExtraWidth) {
    if (dialog->screen() == nullptr || dialog->layout() == nullptr) {
        return;
    }
    const QSize frame = dialog->frameGeometry().size() - dialog->geometry().size();
    const QSize room = dialog->screen()->availableGeometry().size() - frame;
    const QMargins margins = dialog->layout()->contentsMargins();
    const QSize bodyWants = body->sizeHint();
    const QSize footerWants = footer->sizeHint();
    const QSize wanted(
        std::max(bodyWants.width() + bodyExtraWidth, footerWants.width()) + margins.left() + margins.right(),
        bodyWants.height() + dialog->layout()->spacing() + footerWants.height() + margins.top() +
            margins.bottom());
    dialog->resize(wanted.boundedTo(room));
}

}  // namespace torv
