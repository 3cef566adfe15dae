#include "tests/gui/support/transfer_dialog_driver.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>

#include "app/control_ids.h"
#include "link/comu_dlg.h"

namespace torv::test {
namespace {

constexpr int kPollMs = 20;

}  // namespace

TransferDialogDriver::TransferDialogDriver(Press press) : m_press(press) {
    connect(&m_timer, &QTimer::timeout, this, &TransferDialogDriver::poll);
    m_timer.start(kPollMs);
}

void TransferDialogDriver::poll() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<CComuDlg*>(window);
        if (dialog == nullptr || !dialog->isVisible()) {
            continue;
        }
        QPushButton* ok = FindControl<QPushButton>(dialog, CComuDlg::kIdOk);
        QPushButton* second = FindControl<QPushButton>(dialog, CComuDlg::kIdCancel);
        if (ok == nullptr || second == nullptr || !ok->isEnabled()) {
            continue;
        }
        ++m_finished;
        m_status = FindControl<QLabel>(dialog, CComuDlg::kIdStatus)->text();
        m_secondButton = second->text();
        m_secondButtonEnabled = second->isEnabled();
        (m_press == Press::kOk ? ok : second)->click();
    }
}

}  // namespace torv::test
