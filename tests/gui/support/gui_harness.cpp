#include "tests/gui/support/gui_harness.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

#include <QProgressBar>
#include <QScreen>
#include <QWindow>
#include <cstring>

#include "dictionary/dot_pattern.h"
#include "link/frames.h"
#include "params/parameter_file.h"
#include "ui/screen_fit.h"

namespace torv::test {
namespace {

constexpr int kPollMs = 5;
constexpr int kProgressAfterFirstBank = 60;

}  // namespace

bool RunsUnderWine() {
#ifdef _WIN32
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
#else
    return false;
#endif
}

bool ShowActive(QWidget& window) {
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

std::unique_ptr<CDataLoaderDlg> MainWindowOn(OperationState& state, const TempDir& folder, int port,
                                             int fieldId, const std::string& name) {
    auto window = std::make_unique<CDataLoaderDlg>(state, folder.file("x.ini"));
    Get<QComboBox>(window.get(), kIdComPort)->setCurrentIndex(port - 1);
    Get<QComboBox>(window.get(), kIdBaudRate)->setCurrentText(QStringLiteral("57600"));
    Get<QLineEdit>(window.get(), fieldId)->setText(QString::fromStdString(folder.file(name)));
    return window;
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

WhenReady::WhenReady(std::function<bool()> condition, std::function<void()> action)
    : m_condition(std::move(condition)), m_action(std::move(action)) {
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        if (!m_done && m_condition()) {
            m_done = true;
            m_action();
        }
    });
    m_timer.start(kPollMs);
}

std::unique_ptr<WhenReady> CancelAfterFirstBank(bool byEscape) {
    return std::make_unique<WhenReady>(
        [] { return VisibleWindow<CComuDlg>() != nullptr; },
        [byEscape] {
            CComuDlg* dialog = VisibleWindow<CComuDlg>();
            auto* cancel = Get<QPushButton>(dialog, CComuDlg::kIdCancel);
            QObject::connect(Get<QProgressBar>(dialog, CComuDlg::kIdProgress), &QProgressBar::valueChanged,
                             cancel, [cancel, byEscape](int value) {
                                 if (value != kProgressAfterFirstBank) {
                                     return;
                                 }
                                 QTimer::singleShot(0, cancel, [cancel, byEscape] {
                                     if (byEscape) {
                                         QTest::keyClick(cancel->window(), Qt::Key_Escape);
                                     } else {
                                         cancel->click();
                                     }
                                 });
                             });
        });
}

bool FitsTheScreenWithButtonsInView(const QWidget& dialog, std::initializer_list<int> ids) {
    // The offscreen platform draws no frame: the dialog must leave room for a window manager's.
    const QRect screen = dialog.screen()->availableGeometry();
    const QSize framed = dialog.frameGeometry().size().expandedTo(dialog.size() + kFitFrameMargin);
    bool fits = framed.height() <= screen.height() && framed.width() <= screen.width();
    for (int id : ids) {
        auto* button = Get<QPushButton>(&dialog, id);
        fits = fits && button->isVisible() &&
               dialog.rect().contains(QRect(button->mapTo(&dialog, QPoint()), button->size()));
    }
    return fits;
}

bool KeysAndCloseBoxLeaveItOpen(QWidget& window, QWidget* focus, std::initializer_list<Qt::Key> keys) {
    focus->setFocus();
    for (Qt::Key key : keys) {
        QTest::keyClick(focus, key);
    }
    // Through the platform window, as a window manager's close box arrives (a spontaneous close event).
    const bool refused = !window.windowHandle()->close();
    QTest::qWait(kSettleMs);
    return refused && window.isVisible();
}

bool PortOpensAgain(int port) {
    const bool opened = OpenLink(port, kDefaultBaudIndex) == kLinkOpened;
    CloseLink(port);
    return opened;
}

std::string ParameterFileBytes(const ParameterSet& set) {
    const TempDir folder;
    SaveParameterFile(folder.file("set.torv"), set);
    return ReadFileBytes(folder.file("set.torv"));
}

std::vector<DictionaryCharacter> Letters(int count) {
    std::vector<DictionaryCharacter> characters;
    for (int i = 0; i < count; ++i) {
        DictionaryCharacter c{static_cast<std::uint8_t>('A' + i % 26), {}};
        c.rows.fill(ColumnBit(i % kGridSize + 1));
        characters.push_back(c);
    }
    return characters;
}

}  // namespace torv::test
