#include "ui/window_modal.h"

#include <QDialog>

namespace torv {

int ExecWindowModal(QDialog& dialog) {
    // A dialog without a parent has no window to be modal to; Qt then blocks every window.
    dialog.setWindowModality(dialog.parentWidget() != nullptr ? Qt::WindowModal : Qt::ApplicationModal);
    return dialog.exec();
}

}  // namespace torv
