#pragma once
// The platform's style with a plain, visible frame around the focused push button: Enter presses the
// focused button in every window of the tool, so the person must see at a glance which one that is.

#include <QProxyStyle>

namespace torv {

class FocusFrameStyle : public QProxyStyle {
  public:
    using QProxyStyle::QProxyStyle;

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
};

}  // namespace torv
