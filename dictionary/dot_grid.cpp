#include "dictionary/dot_grid.h"

#include <algorithm>

#include <QGridLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "ui/control_ids.h"

namespace torv {
namespace {

// A box is this many text lines high: large enough to hit without aiming, at any font size.
constexpr double kBoxLines = 2.2;
constexpr int kBoxSpacing = 3;
constexpr int kCellRadius = 3;
constexpr double kDotInset = 0.18;  // the dot leaves this share of the cell free around it

int BoxSide(const QWidget* widget) {
    return static_cast<int>(widget->fontMetrics().height() * kBoxLines);
}

}  // namespace

DotBox::DotBox(int row, int column, QWidget* parent) : QCheckBox(parent), m_row(row), m_column(column) {
    SetControlId(this, DotBoxId(row, column));
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
    setToolTip(
        QStringLiteral("Row %1, column %2: click, or drag across boxes to paint or clear a run of dots")
            .arg(row)
            .arg(column));
}

QSize DotBox::sizeHint() const {
    const int side = BoxSide(this);
    return {side, side};
}

void DotBox::setMissing(bool missing) {
    if (missing != m_missing) {
        m_missing = missing;
        update();
    }
}

// A cell of the grid: light when clear, a dark round dot when set, a hollow ring when clear and marked
// missing, the border stronger under the pointer or with the keyboard focus.
void DotBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& colors = palette();
    const QRectF cell = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const bool hot = underMouse() || hasFocus();
    painter.setPen(QPen(hot ? colors.color(QPalette::Highlight) : colors.color(QPalette::Mid), hot ? 2 : 1));
    painter.setBrush(isEnabled() ? colors.color(QPalette::Base) : colors.color(QPalette::Window));
    painter.drawRoundedRect(cell, kCellRadius, kCellRadius);
    const qreal inset = cell.width() * kDotInset;
    const QColor ink = isEnabled() ? colors.color(QPalette::Text) : colors.color(QPalette::Mid);
    if (isChecked()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(ink);
        painter.drawEllipse(cell.adjusted(inset, inset, -inset, -inset));
    } else if (m_missing) {
        painter.setPen(QPen(ink, 1, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(cell.adjusted(inset, inset, -inset, -inset));
    }
}

DotGrid::DotGrid(QWidget* parent) : QWidget(parent) {
    auto* layout = new QGridLayout(this);
    layout->setSpacing(kBoxSpacing);
    layout->setContentsMargins(0, 0, 0, 0);
    for (int row = 1; row <= kGridSize; ++row) {
        for (int column = 1; column <= kGridSize; ++column) {
            auto* dot = new DotBox(row, column, this);
            dot->installEventFilter(this);
            // A click or the space bar: the box has already toggled itself.
            connect(dot, &QCheckBox::clicked, this,
                    [this, dot](bool checked) { emit dotChanged(dot->row(), dot->column(), checked); });
            layout->addWidget(dot, row - 1, column - 1);
            m_boxes[static_cast<std::size_t>(kGridSize * (row - 1) + column - 1)] = dot;
        }
    }
}

DotBox* DotGrid::box(int row, int column) const {
    return m_boxes.at(static_cast<std::size_t>(kGridSize * (row - 1) + column - 1));
}

void DotGrid::setRows(const DotRows& rows, const DotRows& missing) {
    for (DotBox* dot : m_boxes) {
        const auto row = static_cast<std::size_t>(dot->row() - 1);
        dot->setChecked((rows[row] & ColumnBit(dot->column())) != 0);
        dot->setMissing((missing[row] & ColumnBit(dot->column())) != 0);
    }
}

DotBox* DotGrid::boxAt(const QPointF& globalPosition) const {
    return qobject_cast<DotBox*>(childAt(mapFromGlobal(globalPosition.toPoint())));
}

void DotGrid::paint(DotBox* dot) {
    if (dot != nullptr && dot->isChecked() != m_paintValue) {
        dot->setChecked(m_paintValue);
        emit dotChanged(dot->row(), dot->column(), m_paintValue);
    }
}

// The arrow keys walk the grid, so the keyboard can draw too (the space bar sets or clears a dot).
bool DotGrid::moveFocus(DotBox* from, int key) {
    int row = from->row();
    int column = from->column();
    switch (key) {
        case Qt::Key_Left:
            --column;
            break;
        case Qt::Key_Right:
            ++column;
            break;
        case Qt::Key_Up:
            --row;
            break;
        case Qt::Key_Down:
            ++row;
            break;
        default:
            return false;
    }
    box(std::clamp(row, 1, kGridSize), std::clamp(column, 1, kGridSize))->setFocus(Qt::TabFocusReason);
    return true;
}

// The mouse paints: the press decides whether this stroke sets or clears dots, and every box the
// pointer enters while the button is down takes that state. The boxes never see the press, so a
// stroke toggles nothing twice.
bool DotGrid::eventFilter(QObject* watched, QEvent* event) {
    auto* dot = qobject_cast<DotBox*>(watched);
    if (dot == nullptr || !dot->isEnabled()) {
        return QWidget::eventFilter(watched, event);
    }
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton) {
                return false;
            }
            dot->setFocus(Qt::MouseFocusReason);
            m_painting = true;
            m_paintValue = !dot->isChecked();
            paint(dot);
            return true;
        }
        case QEvent::MouseMove:
            if (m_painting) {
                paint(boxAt(static_cast<QMouseEvent*>(event)->globalPosition()));
                return true;
            }
            return false;
        case QEvent::KeyPress:
            return moveFocus(dot, static_cast<QKeyEvent*>(event)->key());
        case QEvent::MouseButtonRelease:
            if (m_painting && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
                m_painting = false;
                return true;
            }
            return false;
        default:
            return false;
    }
}

}  // namespace torv
