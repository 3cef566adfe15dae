#include "ui/focus_frame_style.h"

#include <QPainter>
#include <QStyleOption>

namespace torv {
namespace {

constexpr int kFrameWidth = 2;
constexpr int kFrameInset = 2;  // inside the button's own border
constexpr qreal kCornerRadius = 3;

}  // namespace

void FocusFrameStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                                  const QWidget* widget) const {
    QProxyStyle::drawControl(element, option, painter, widget);
    if (element != CE_PushButton || !(option->state & State_HasFocus) || !(option->state & State_Enabled)) {
        return;
    }
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(QPen(option->palette.highlight().color(), kFrameWidth));
    painter->setBrush(Qt::NoBrush);
    const int inset = kFrameInset + kFrameWidth / 2;
    painter->drawRoundedRect(QRectF(option->rect).adjusted(inset, inset, -inset, -inset), kCornerRadius,
                             kCornerRadius);
    painter->restore();
}

}  // namespace torv
