#include "ui/dialog_key_rule.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>

#include "ui/control_ids.h"

namespace torv {

DialogKeyRule::DialogKeyRule(QDialog* dialog) : QObject(dialog), m_dialog(dialog) {
    qApp->installEventFilter(this);
}

DialogKeyRule::~DialogKeyRule() {
    qApp->removeEventFilter(this);
}

bool DialogKeyRule::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride) {
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != m_dialog) {
        return false;
    }
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Escape) {
        return false;
    }
    if (event->type() == QEvent::ShortcutOverride) {
        return false;  // let the key arrive as a key press, which is where it is consumed
    }
    if (key == Qt::Key_Escape && m_escape) {
        QTimer::singleShot(0, m_dialog, m_escape);
        return true;
    }
    auto* button = qobject_cast<QPushButton*>(m_dialog->focusWidget());
    if (key != Qt::Key_Escape && button != nullptr && ControlIdOf(button) != 0 && button->isEnabled()) {
        // Posted, as the window would post the button's command: the press finishes first.
        QTimer::singleShot(0, button, &QPushButton::click);
    }
    return true;
}

QPushButton* MakePushButton(int id, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setAutoDefault(false);
    button->setDefault(false);
    SetControlId(button, id);
    return button;
}

}  // namespace torv
