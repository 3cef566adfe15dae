#pragma once
// The NG data viewer's picture: the 256 x 244 NG image, drawn from one QImage at a chosen zoom
// (fit to the view, 1:1 or 2:1) without smoothing, so every sensor pixel stays a sharp square. It
// tells which image pixel lies under the pointer.

#include <QImage>
#include <QWidget>

#include <optional>

namespace torv {

enum class NgZoom { kFit, kOne, kTwo };

class NgImageView : public QWidget {
    Q_OBJECT
  public:
    explicit NgImageView(QWidget* parent = nullptr);

    void setImage(const QImage& image);
    const QImage& image() const { return m_image; }

    void setZoom(NgZoom zoom);
    NgZoom zoom() const { return m_zoom; }
    // Screen pixels per image pixel.
    double scale() const;

    // The image pixel (x 0..255, y 0..243, y = 0 at the top) under a point of this widget.
    std::optional<QPoint> imagePointAt(QPointF position) const;

    QSize sizeHint() const override;

  signals:
    // The pixel under the pointer, or nullopt when the pointer left the image.
    void pointerMoved(std::optional<QPoint> pixel);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    QImage m_image;
    NgZoom m_zoom = NgZoom::kOne;
};

}  // namespace torv
