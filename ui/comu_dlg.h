#pragma once
// The transfer dialog: runs one device operation modally, shows its progress, lets the user cancel
// it between blocks of exchanges, and offers "EDIT" after a read that has an editor.

#include <QDialog>
#include <chrono>
#include <optional>

#include "engine/operation_engine.h"
#include "engine/operation_host.h"
#include "engine/operation_state.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace torv {

class CComuDlg : public QDialog, public OperationHost {
    Q_OBJECT
  public:
    enum Control : int { kIdOk = 1, kIdProgress = 1023, kIdCancel = 1024, kIdStatus = 1025 };
    // The operation starts this long after the dialog is shown, so the user sees the dialog first.
    static constexpr int kStartDelayMs = 300;

    // Runs `operation` once shown (exec() or open()).
    CComuDlg(OperationState& state, const OperationInfo& operation, QWidget* parent = nullptr);

    using QDialog::show;
    bool ask(Caption caption, Icon icon, std::string_view text, Answer defaultAnswer) override;
    void show(Caption caption, Icon icon, std::string_view text) override;
    void setStatus(std::string_view text) override;
    void setProgress(int position) override;
    void pumpMessages() override;

    // How the run ended, once the dialog has closed (kFailed until it has run).
    OperationOutcome outcome() const { return m_outcome; }
    // Its message: the error, "Aborted." or the completion text.
    const std::string& outcomeText() const { return m_outcomeText; }

    // Neither Escape nor the window system closes the dialog: only OK, EDIT or a failure does.
    void reject() override {}

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void onTimer();
    void onCancel();
    void finish(const OperationReport& report);

    OperationState& m_state;
    const OperationInfo& m_operation;
    QLabel* m_status;
    QProgressBar* m_progress;
    QLabel* m_files;  // the operation's files, once it has completed
    QPushButton* m_ok;
    QPushButton* m_cancel;
    QTimer* m_startTimer;
    std::optional<std::chrono::steady_clock::time_point> m_firstProgress;
    OperationOutcome m_outcome = OperationOutcome::kFailed;
    std::string m_outcomeText;
    bool m_started = false;
    bool m_cancelMeansEdit = false;  // the run ended with an editor to offer: the button says "EDIT"
};

}  // namespace torv
