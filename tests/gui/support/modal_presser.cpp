#include "tests/gui/support/modal_presser.h"

#include <QApplication>
#include <QPushButton>
#include <cstring>

#include "app/control_ids.h"

namespace torv::test {

ModalPresser::ModalPresser(const char* windowClass, int buttonId) : m_windowClass(windowClass), m_buttonId(buttonId) {
    connect(&m_timer, &QTimer::timeout, this, &ModalPresser::poll);
    m_timer.start(20);
}

void ModalPresser::poll() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible() || std::strcmp(window->metaObject()->className(), m_windowClass) != 0) {
            continue;
        }
        if (auto* button = FindControl<QPushButton>(window, m_buttonId); button != nullptr && button->isEnabled()) {
            ++m_presses;
            button->click();
        }
    }
}

}  // namespace torv::test
