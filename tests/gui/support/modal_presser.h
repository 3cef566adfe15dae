#pragma once
// Plays the user in front of a modal window a test opens indirectly: once a visible window of the
// given class appears, presses the push button with the given control id in it.

#include <QObject>
#include <QTimer>

namespace torv::test {

class ModalPresser : public QObject {
    Q_OBJECT
  public:
    ModalPresser(const char* windowClass, int buttonId);

    // How many times the button was pressed.
    int presses() const { return m_presses; }

  private:
    void poll();

    QTimer m_timer;
    const char* m_windowClass;
    int m_buttonId;
    int m_presses = 0;
};

}  // namespace torv::test
