#pragma once
// The remote controller: presses the sensor's front-panel keys from the PC, one key frame for every
// button click, arrow click or key press. It opens the port itself when it opens, and only Quit closes
// the port and the dialog.

#include <QDialog>

#include "engine/operation_state.h"
#include "remote/remote_keys.h"

namespace torv {

class CRemoteDlg : public QDialog {
    Q_OBJECT
  public:
    enum Control : int {
        kIdSet = 1024,
        kIdExit = 1025,
        kIdView = 1026,
        kIdViewUp = 1027,
        kIdViewDown = 1029,
        kIdQuit = 1189,
        kIdUpDownLeft = 1190,
        kIdUpDownRight = 1191,
    };

    // Uses ComPortNumber and BaudIndex as the main window set them.
    explicit CRemoteDlg(OperationState& state, QWidget* parent = nullptr);
    ~CRemoteDlg() override;

    // Opens the port, then runs the dialog until Quit. When the port cannot be opened, shows the
    // port-open failure (`kOpenPortFailed` or `kBaudRateInvalid`) and returns at once without showing
    // the dialog.
    int exec() override;

    // Neither Escape nor the window system closes the dialog: only Quit does.
    void reject() override {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildLayout();
    // Sends one key; a failed exchange is shown, and the dialog stays usable.
    void sendKey(KeyCode code);
    void onQuit();

    OperationState& m_state;
    int m_port = 0;
    bool m_linkOpen = false;
};

}  // namespace torv
