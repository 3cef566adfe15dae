#pragma once
// Plays the user in front of the modal transfer dialogs a main-window button runs: waits until the
// dialog has finished, notes what it shows, and presses OK or "EDIT".

#include <QObject>
#include <QString>
#include <QTimer>

namespace torv::test {

class TransferDialogDriver : public QObject {
    Q_OBJECT
  public:
    enum class Press { kOk, kSecondButton };

    explicit TransferDialogDriver(Press press = Press::kOk);

    // Dialogs seen finished, and what the last one showed.
    int finishedDialogs() const { return m_finished; }
    const QString& lastStatus() const { return m_status; }
    const QString& lastSecondButton() const { return m_secondButton; }
    bool lastSecondButtonEnabled() const { return m_secondButtonEnabled; }

  private:
    void poll();

    QTimer m_timer;
    Press m_press;
    int m_finished = 0;
    QString m_status;
    QString m_secondButton;
    bool m_secondButtonEnabled = false;
};

}  // namespace torv::test
