#include "app/trend_chart.h"

#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

#include "ui/colour_scheme.h"

namespace torv {
namespace {

constexpr int kChartHeight = 96;
constexpr int kRateChartHeight = 72;
constexpr int kChartWidth = 480;
constexpr int kCaptionHeight = 16;
constexpr int kMargin = 6;
constexpr double kHeadroom = 1.25;
constexpr int kRateBinPixels = 3;
constexpr double kLeastRateScale = 0.05;

const QColor kMeanColour(0x90, 0xca, 0xf9);
const QColor kLevelColour(0x15, 0x65, 0xc0);
const QColor kLevelColourOnDark(0x64, 0xb5, 0xf6);
const QColor kBaselineColour(0x75, 0x75, 0x75);
const QColor kLimitColour(0xef, 0x6c, 0x00);
const QColor kAlarmColour(0xc6, 0x28, 0x28);

// Judgement numbers 1..judgements across the plot's width.
class JudgementAxis {
  public:
    JudgementAxis(const QRectF& plot, long long judgements)
        : m_left(plot.left()), m_width(plot.width()), m_span(double(std::max(1LL, judgements - 1))) {}

    double x(long long judgement) const { return m_left + m_width * double(judgement - 1) / m_span; }

  private:
    double m_left;
    double m_width;
    double m_span;
};

QRectF PlotArea(const QWidget& widget) {
    return QRectF(kMargin, kCaptionHeight, widget.width() - 2 * kMargin,
                  widget.height() - kCaptionHeight - kMargin);
}

void PaintFrame(QPainter& painter, const QWidget& widget, const QRectF& plot, const QString& caption) {
    painter.fillRect(widget.rect(), widget.palette().base());
    painter.setPen(widget.palette().color(QPalette::Mid));
    painter.drawRect(plot);
    painter.setPen(widget.palette().color(QPalette::Text));
    painter.drawText(QRectF(kMargin, 0, widget.width() - 2 * kMargin, kCaptionHeight),
                     Qt::AlignLeft | Qt::AlignVCenter, caption);
}

QString ChartCaption(const PositionTrend& position, int baselineReadings) {
    const QChar character = QChar::fromLatin1(position.character());
    if (!position.learned()) {
        return QStringLiteral("Position %1 '%2': learning the normal level, %3 of %4 readings")
            .arg(position.position())
            .arg(character)
            .arg(position.readings())
            .arg(baselineReadings);
    }
    return QStringLiteral("Position %1 '%2': normal %3 (sigma %4), level %5, limit %6%7")
        .arg(position.position())
        .arg(character)
        .arg(position.baseline(), 0, 'f', 1)
        .arg(position.sigma(), 0, 'f', 1)
        .arg(position.level(), 0, 'f', 1)
        .arg(position.limit(), 0, 'f', 1)
        .arg(position.inAlarm() ? QStringLiteral(", ALARM") : QString());
}

}  // namespace

PositionTrendChart::PositionTrendChart(std::shared_ptr<const MarginTrend> trend, std::size_t index,
                                       QWidget* parent)
    : QWidget(parent), m_trend(std::move(trend)), m_index(index) {
    setObjectName(QStringLiteral("positionChart%1").arg(index + 1));
    setMinimumHeight(kChartHeight);
}

QSize PositionTrendChart::sizeHint() const {
    return {kChartWidth, kChartHeight};
}

void PositionTrendChart::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QRectF plot = PlotArea(*this);
    const PositionTrend& position = m_trend->positions()[m_index];
    PaintFrame(painter, *this, plot, ChartCaption(position, m_trend->baselineJudgements()));
    if (!position.learned()) {
        return;
    }
    const std::vector<TrendPoint>& points = position.points();
    double top = std::max(position.limit(), position.baseline() + 4 * position.sigma());
    for (const TrendPoint& point : points) {
        top = std::max(top, double(point.mean));
    }
    top *= kHeadroom;
    const auto y = [&](double value) {
        return plot.bottom() - plot.height() * std::clamp(value / top, 0.0, 1.0);
    };
    const JudgementAxis axis(plot, m_trend->judgements());

    painter.setPen(QPen(kBaselineColour, 1));
    painter.drawLine(QPointF(plot.left(), y(position.baseline())),
                     QPointF(plot.right(), y(position.baseline())));
    painter.setPen(QPen(kLimitColour, 1, Qt::DashLine));
    painter.drawLine(QPointF(plot.left(), y(position.limit())), QPointF(plot.right(), y(position.limit())));

    // One pixel column at a time: the spread of the means in it, and the level where it ends.
    QPolygonF level;
    painter.setPen(QPen(kMeanColour, 1));
    for (std::size_t i = 0; i < points.size();) {
        const int column = static_cast<int>(axis.x(points[i].judgement));
        float low = points[i].mean;
        float high = low;
        std::size_t j = i;
        for (; j < points.size() && static_cast<int>(axis.x(points[j].judgement)) == column; ++j) {
            low = std::min(low, points[j].mean);
            high = std::max(high, points[j].mean);
        }
        painter.drawLine(QPointF(column, y(low)), QPointF(column, y(high) - 0.5));
        level << QPointF(column, y(points[j - 1].level));
        i = j;
    }
    // Two thin lines a pixel apart: a wide pen's stroking costs ten times as much on a long history.
    painter.setPen(QPen(IsDarkPalette(palette()) ? kLevelColourOnDark : kLevelColour, 1));
    painter.drawPolyline(level);
    painter.drawPolyline(level.translated(0, -1));

    painter.setPen(QPen(kAlarmColour, 2));
    for (const TrendAlarm& alarm : m_trend->alarms()) {
        if (alarm.position == position.position()) {
            const double x = axis.x(alarm.judgement);
            painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        }
    }
}

NgRateChart::NgRateChart(std::shared_ptr<const MarginTrend> trend, QWidget* parent)
    : QWidget(parent), m_trend(std::move(trend)) {
    setObjectName(QStringLiteral("ngRateChart"));
    setMinimumHeight(kRateChartHeight);
}

QSize NgRateChart::sizeHint() const {
    return {kChartWidth, kRateChartHeight};
}

void NgRateChart::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QRectF plot = PlotArea(*this);
    const long long judgements = m_trend->judgements();
    const long long ng = m_trend->ngCount();
    PaintFrame(painter, *this, plot,
               QStringLiteral("NG rate: %1 NG of %2 judgements (%3 %)")
                   .arg(ng)
                   .arg(judgements)
                   .arg(judgements > 0 ? 100.0 * double(ng) / double(judgements) : 0.0, 0, 'f', 2));
    if (judgements == 0) {
        return;
    }
    // The NG share of each bin of judgements, a few pixels wide.
    const int bins = std::max(1, static_cast<int>(plot.width()) / kRateBinPixels);
    const double perBin = std::max(1.0, double(judgements) / bins);
    std::vector<int> counts(static_cast<std::size_t>(bins), 0);
    for (const long long judgement : m_trend->ngJudgements()) {
        const auto bin = std::min<std::size_t>(counts.size() - 1,
                                               static_cast<std::size_t>(double(judgement - 1) / perBin));
        ++counts[bin];
    }
    const int peak = *std::max_element(counts.begin(), counts.end());
    const double scale = std::max(kLeastRateScale, peak / perBin);
    const double binWidth = plot.width() / bins;
    for (int bin = 0; bin < bins; ++bin) {
        const double share = counts[static_cast<std::size_t>(bin)] / perBin;
        if (share > 0) {
            const double height = plot.height() * std::min(1.0, share / scale);
            painter.fillRect(QRectF(plot.left() + bin * binWidth, plot.bottom() - height, binWidth, height),
                             kAlarmColour);
        }
    }
}

}  // namespace torv
