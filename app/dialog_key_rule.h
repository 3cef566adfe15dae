#pragma once
// The key rule of the tool's windows: Enter presses the focused push button (one that carries a
// control id) and does nothing anywhere else; Escape does nothing. Both keys are consumed before any
// control sees them, so no default button fires and Escape never closes a window.

#include <QObject>

class QDialog;

namespace torv {

class DialogKeyRule : public QObject {
    Q_OBJECT
public:
    // Applies the rule to `dialog` for as long as the dialog lives (it owns the rule).
    explicit DialogKeyRule(QDialog* dialog);
    ~DialogKeyRule() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QDialog* m_dialog;
};

}  // namespace torv
