#pragma once
// The key rule of the tool's windows: Enter presses the focused push button (one that carries a
// control id) and does nothing anywhere else; Escape does nothing. Both keys are consumed before any
// control sees them, so no default button fires and Escape never closes a window.

#include <QObject>
#include <QString>

#include <functional>

class QDialog;
class QPushButton;
class QWidget;

namespace torv {

class DialogKeyRule : public QObject {
    Q_OBJECT
  public:
    // Applies the rule to `dialog` for as long as the dialog lives (it owns the rule).
    explicit DialogKeyRule(QDialog* dialog);
    ~DialogKeyRule() override;

    // What Escape does instead of nothing (the transfer dialog: press Cancel while it stops a run).
    void setEscapeAction(std::function<void()> action) { m_escape = std::move(action); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QDialog* m_dialog;
    std::function<void()> m_escape;
};

// A push button carrying its control id that never acts as the dialog's default button, so Enter
// reaches it only through the key rule.
QPushButton* MakePushButton(int id, const QString& caption, QWidget* parent = nullptr);

}  // namespace torv
