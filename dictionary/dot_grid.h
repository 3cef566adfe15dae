#pragma once
// The editor's 7 x 7 grid of dot boxes: large square check boxes, each carrying its control id, that
// can be clicked one by one, walked with the arrow keys and toggled with the space bar, or painted: a
// press on a box sets it to the opposite of what it showed, and dragging on carries that state over
// every box the pointer crosses.

#include <QCheckBox>
#include <QWidget>

#include <array>

#include "dictionary/dot_pattern.h"

namespace torv {

// The control id of the box for row r, column c (1..7, row 1 at the top): 1040 + 7(r - 1) + (c - 1),
// except row 1, column 1, which is 1027.
constexpr int DotBoxId(int row, int column) {
    constexpr int kIdFirstBox = 1040;
    constexpr int kIdTopLeftBox = 1027;
    return row == 1 && column == 1 ? kIdTopLeftBox : kIdFirstBox + kGridSize * (row - 1) + (column - 1);
}
static_assert(DotBoxId(1, 2) == 1041 && DotBoxId(2, 1) == 1047 && DotBoxId(7, 7) == 1088);

class DotBox : public QCheckBox {
    Q_OBJECT
  public:
    DotBox(int row, int column, QWidget* parent);

    int row() const { return m_row; }
    int column() const { return m_column; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
    // A clear cell the file marked "-": drawn as a hollow ring until the dot is set or cleared here.
    void setMissing(bool missing);
    bool missing() const { return m_missing; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }

  private:
    int m_row;
    int m_column;
    bool m_missing = false;
};

class DotGrid : public QWidget {
    Q_OBJECT
  public:
    explicit DotGrid(QWidget* parent = nullptr);

    // Shows these dots, and the clear cells marked missing, without reporting them as changes.
    void setRows(const DotRows& rows, const DotRows& missing = {});
    DotBox* box(int row, int column) const;

  signals:
    // The user set or cleared a dot (a click, the space bar, or painting).
    void dotChanged(int row, int column, bool set);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void paint(DotBox* box);
    bool moveFocus(DotBox* from, int key);
    DotBox* boxAt(const QPointF& globalPosition) const;

    std::array<DotBox*, kGridSize * kGridSize> m_boxes{};
    bool m_painting = false;
    bool m_paintValue = false;
};

}  // namespace torv
