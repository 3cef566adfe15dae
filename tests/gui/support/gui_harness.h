#pragma once
// What the GUI tests share besides the prompts: controls found by id, the main window on a simulated
// sensor, stand-in users for the modal windows a button opens, and file contents. Brings in the Qt Test
// and widget headers every GUI test uses.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "app/data_loader_dlg.h"
#include "app/main_window_ids.h"
#include "dictionary/dictionary_file.h"
#include "link/port_names.h"
#include "params/parameter_set.h"
#include "tests/gui/support/scripted_prompts.h"
#include "tests/support/simulated_sensor.h"
#include "tests/support/temp_dir.h"
#include "ui/comu_dlg.h"
#include "ui/control_ids.h"

namespace torv::test {

// Long enough for anything a key might have posted to have run.
inline constexpr int kSettleMs = 100;

// A missing control ends the run with its id rather than with a null pointer.
template <typename Widget = QWidget>
Widget* Get(const QWidget* root, int id) {
    Widget* widget = FindControl<Widget>(root, id);
    if (widget == nullptr) {
        qFatal("no control %d of the expected kind", id);
    }
    return widget;
}

// The visible top-level window of class `Window`, or null.
template <typename Window>
Window* VisibleWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<Window*>(widget); window != nullptr && window->isVisible()) {
            return window;
        }
    }
    return nullptr;
}

// Shows `window` and waits until it is active, so that keys reach its focused control.
bool ShowActive(QWidget& window);

// The main window (settings file "x.ini" in `folder`) with its lists on COM `port` at 57600 baud and
// its Filename field `fieldId` on `name` in `folder`.
std::unique_ptr<CDataLoaderDlg> MainWindowOn(OperationState& state, const TempDir& folder, int port,
                                             int fieldId, const std::string& name);

// Whenever a visible window of class `windowClass` has control `readyId` (default: `pressId`)
// enabled, notes its status line and presses `pressId`.
class ModalPresser {
  public:
    ModalPresser(const char* windowClass, int pressId, int readyId = 0);

    int presses = 0;
    QString lastStatus;   // the transfer dialog's status text at the last press
    QString lastPressed;  // the pressed button's text

  private:
    void poll();

    QTimer m_timer;
    const char* m_windowClass;
    int m_pressId;
    int m_readyId;
};

// Runs `action` once, as soon as `condition` holds, from whatever event processing runs (a modal
// window's, an operation's between its blocks, the monitor loop).
class WhenReady {
  public:
    WhenReady(std::function<bool()> condition, std::function<void()> action);

  private:
    QTimer m_timer;
    std::function<bool()> m_condition;
    std::function<void()> m_action;
    bool m_done = false;
};

// Stops the next transfer dialog as soon as its progress shows the first parameter bank done: by its
// Cancel button or by the Escape key. The press arrives when the operation next lets messages through.
std::unique_ptr<WhenReady> CancelAfterFirstBank(bool byEscape = false);

// Whether `dialog` fits its screen with buttons `ids` visible inside it.
bool FitsTheScreenWithButtonsInView(const QWidget& dialog, std::initializer_list<int> ids);

// Presses `keys` on `focus`, then the window system's close box: whether `window` is still open once
// anything they posted has run. Every window of the tool closes only by its own buttons.
bool KeysAndCloseBoxLeaveItOpen(QWidget& window, QWidget* focus,
                                std::initializer_list<Qt::Key> keys = {Qt::Key_Escape, Qt::Key_Return});

// Whether this is the Windows build running under wine (which sets no 256000 baud on a Linux terminal).
bool RunsUnderWine();

// Whether the port opens (and is closed again): nothing holds it any more.
bool PortOpensAgain(int port);

// The bytes of a parameter file for `set`, as the file writer (pinned by its unit test) makes them.
std::string ParameterFileBytes(const ParameterSet& set);

// `count` characters "A", "B", ...: character i has the dot of column (i % 7) + 1 in every row.
std::vector<DictionaryCharacter> Letters(int count);

}  // namespace torv::test
