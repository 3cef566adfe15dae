#pragma once
// Every control of a dialog carries its numeric id, as the "controlId" property, so that the key
// rule and the tests can find it.

#include <QWidget>

namespace torv {

inline constexpr const char* kControlIdProperty = "controlId";

inline void SetControlId(QWidget* widget, int id) {
    widget->setProperty(kControlIdProperty, id);
}

inline int ControlIdOf(const QWidget* widget) {
    return widget != nullptr ? widget->property(kControlIdProperty).toInt() : 0;
}

// The control with this id inside `root`, or nullptr.
template <typename Widget = QWidget>
Widget* FindControl(const QWidget* root, int id) {
    for (Widget* widget : root->findChildren<Widget*>()) {
        if (ControlIdOf(widget) == id) {
            return widget;
        }
    }
    return nullptr;
}

}  // namespace torv
