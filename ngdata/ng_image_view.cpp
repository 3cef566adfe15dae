#include "ngdata/ng_image_view.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace torv {

NgImageView::NgImageView(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);  // the paint covers the whole widget
}

void NgImageView::setImage(const QImage& image) {
    // The screen's own format: painting then copies pixels without converting them.
    m_image = image.convertToFormat(QImage::Format_RGB32);
    updateGeometry();
    update();
}

void NgImageView::setZoom(NgZoom zoom) {
    m_zoom = zoom;
    updateGeometry();
    update();
}

double NgImageView::scale() const {
    switch (m_zoom) {
        case NgZoom::kOne:
            return 1.0;
        case NgZoom::kTwo:
            return 2.0;
        case NgZoom::kFit:
            break;
    }
    if (m_image.isNull() || width() <= 0 || height() <= 0) {
        return 1.0;
    }
    return std::min(static_cast<double>(width()) / m_image.width(),
                    static_cast<double>(height()) / m_image.height());
}

std::optional<QPoint> NgImageView::imagePointAt(QPointF position) const {
    const double s = scale();
    const int x = static_cast<int>(std::floor(position.x() / s));
    const int y = static_cast<int>(std::floor(position.y() / s));
    if (position.x() < 0 || position.y() < 0 || x >= m_image.width() || y >= m_image.height()) {
        return std::nullopt;
    }
    return QPoint(x, y);
}

QSize NgImageView::sizeHint() const {
    const double s = m_zoom == NgZoom::kFit ? 1.0 : scale();
    return (QSizeF(m_image.size()) * s).toSize();
}

void NgImageView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRectF picture(QPointF(0, 0), QSizeF(m_image.size()) * scale());
    const QRegion around = QRegion(rect()).subtracted(QRegion(picture.toAlignedRect()));
    for (const QRect& part : around) {
        painter.fillRect(part, palette().window());
    }
    // No smoothing: a sensor pixel becomes a block of screen pixels, never a blur.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (scale() == 1.0) {
        painter.drawImage(QPointF(0, 0), m_image);
    } else {
        painter.drawImage(picture, m_image);
    }
}

void NgImageView::mouseMoveEvent(QMouseEvent* event) {
    emit pointerMoved(imagePointAt(event->position()));
    QWidget::mouseMoveEvent(event);
}

void NgImageView::leaveEvent(QEvent* event) {
    emit pointerMoved(std::nullopt);
    QWidget::leaveEvent(event);
}

}  // namespace torv
