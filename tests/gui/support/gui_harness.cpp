#include "tests/gui/support/gui_harness.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <cstring>

#include "ui/comu_dlg.h"

namespace torv::test {
namespace {

constexpr int kPollMs = 20;

}  // namespace

bool ShowActive(QWidget& window) {
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

ModalPresser::ModalPresser(const char* windowClass, int pressId, int readyId)
    : m_windowClass(windowClass), m_pressId(pressId), m_readyId(readyId != 0 ? readyId : pressId) {
    QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
    m_timer.start(kPollMs);
}

void ModalPresser::poll() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible() || std::strcmp(window->metaObject()->className(), m_windowClass) != 0) {
            continue;
        }
        auto* ready = FindControl<QPushButton>(window, m_readyId);
        auto* press = FindControl<QPushButton>(window, m_pressId);
        if (ready != nullptr && press != nullptr && ready->isEnabled()) {
            if (auto* status = FindControl<QLabel>(window, CComuDlg::kIdStatus)) {
                lastStatus = status->text();
            }
            ++presses;
            lastPressed = press->text();
            press->click();
        }
    }
}

std::string ParameterFileBytes(const ParameterSet& set) {
    std::string text = "Software version\r\n" + std::to_string(set.version) + "\r\nCommon parameter\r\n";
    for (std::int32_t word : set.common) {
        text += std::to_string(word) + "\r\n";
    }
    for (int b = 0; b < kBankCount; ++b) {
        text += "Bank parameter No." + std::to_string(b) + "\r\n";
        for (std::int32_t word : set.bank[static_cast<std::size_t>(b)]) {
            text += std::to_string(word) + "\r\n";
        }
    }
    return text;
}

}  // namespace torv::test
