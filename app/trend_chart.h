#pragma once
// The Trend window's small charts, painted with QPainter: one per character position (the subgroup
// means as dots, the EWMA level as a line, the normal level and the control limit, alarms marked) and
// one of the NG rate over the same judgements. A chart walks its points once per repaint, a pixel
// column at a time, so a day of judgements repaints as fast as a minute of them.

#include <QWidget>

#include <memory>

#include "monitor/margin_trend.h"

namespace torv {

class PositionTrendChart : public QWidget {
    Q_OBJECT
  public:
    PositionTrendChart(std::shared_ptr<const MarginTrend> trend, std::size_t index,
                       QWidget* parent = nullptr);

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::shared_ptr<const MarginTrend> m_trend;
    std::size_t m_index;
};

class NgRateChart : public QWidget {
    Q_OBJECT
  public:
    explicit NgRateChart(std::shared_ptr<const MarginTrend> trend, QWidget* parent = nullptr);

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::shared_ptr<const MarginTrend> m_trend;
};

}  // namespace torv
