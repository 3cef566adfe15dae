#pragma once
// Finds the main window's and the transfer dialog's controls by id, failing the test loudly when one
// is missing.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include "app/control_ids.h"

namespace torv::test {

template <typename Widget>
Widget* Control(const QWidget* root, int id) {
    Widget* widget = FindControl<Widget>(root, id);
    if (widget == nullptr) {
        qFatal("no control %d of the expected kind", id);
    }
    return widget;
}

inline QPushButton* Button(const QWidget* root, int id) {
    return Control<QPushButton>(root, id);
}
inline QLineEdit* Field(const QWidget* root, int id) {
    return Control<QLineEdit>(root, id);
}
inline QComboBox* List(const QWidget* root, int id) {
    return Control<QComboBox>(root, id);
}

}  // namespace torv::test
