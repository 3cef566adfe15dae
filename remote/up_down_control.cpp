#include "remote/up_down_control.h"

#include <QToolButton>
#include <QVBoxLayout>

#include "ui/control_ids.h"

namespace torv {
namespace {

constexpr int kUpperArrowChange = -1;
constexpr int kLowerArrowChange = 1;
// Big enough to hit with the mouse: this many text lines wide.
constexpr int kArrowWidthLines = 2;

QToolButton* MakeArrow(Qt::ArrowType direction) {
    auto* arrow = new QToolButton;
    arrow->setArrowType(direction);
    arrow->setAutoRepeat(true);  // held down, the arrow keeps pressing, as the platform's control does
    arrow->setFocusPolicy(Qt::NoFocus);
    arrow->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    arrow->setMinimumWidth(arrow->fontMetrics().height() * kArrowWidthLines);
    return arrow;
}

}  // namespace

UpDownControl::UpDownControl(int id, QWidget* parent)
    : QWidget(parent), m_upper(MakeArrow(Qt::UpArrow)), m_lower(MakeArrow(Qt::DownArrow)) {
    SetControlId(this, id);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_upper);
    column->addWidget(m_lower);
    connect(m_upper, &QToolButton::clicked, this, [this] { emit positionChanging(kUpperArrowChange); });
    connect(m_lower, &QToolButton::clicked, this, [this] { emit positionChanging(kLowerArrowChange); });
}

}  // namespace torv
