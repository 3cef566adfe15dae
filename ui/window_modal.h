#pragma once
// The tool's dialogs block only the window they belong to and that window's family, never every
// window of the tool: the protocol trace window (a window of its own) stays usable while an
// operation's transfer dialog or a message box is open.

class QDialog;

namespace torv {

// Shows the dialog window-modal and waits for it to close; its result.
int ExecWindowModal(QDialog& dialog);

}  // namespace torv
