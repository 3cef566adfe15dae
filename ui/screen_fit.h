#pragma once
// Dialogs whose body scrolls open at the size their body and footer ask for, but never larger than the
// screen they are on: on a small screen (1366 x 768 at 125 %) the body scrolls and the footer's
// buttons stay in view.

#include <QSize>

class QDialog;
class QWidget;

namespace torv {

// What a fitted dialog leaves free of the screen's available area, at least, for the frame.
inline constexpr QSize kFitFrameMargin(16, 48);

// `body` is the scrolled part (its size hint is what it wants unscrolled), `footer` what always shows
// under it; `bodyExtraWidth` leaves room for a vertical scroll bar beside the body. Call it once, when
// the dialog is first shown. The window manager's frame is subtracted too, or, before it exists, room
// for one (`kFitFrameMargin`).
void FitDialogToScreen(QDialog* dialog, const QWidget* body, const QWidget* footer, int bodyExtraWidth = 0);

}  // namespace torv
