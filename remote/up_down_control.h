#pragma once
// An up-down control: two small arrow buttons, one above the other, that repeat while held. A click
// proposes a change of position, as the platform's control does with its default range (upper limit
// below the lower one): the upper arrow proposes -1, the lower arrow +1.

#include <QWidget>

class QToolButton;

namespace torv {

class UpDownControl : public QWidget {
    Q_OBJECT
  public:
    explicit UpDownControl(int id, QWidget* parent = nullptr);

    QToolButton* upperArrow() const { return m_upper; }
    QToolButton* lowerArrow() const { return m_lower; }

  signals:
    // The position is about to change by `change`.
    void positionChanging(int change);

  private:
    QToolButton* m_upper;
    QToolButton* m_lower;
};

}  // namespace torv
