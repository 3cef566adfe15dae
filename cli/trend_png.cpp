#include "cli/trend_png.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace torv::cli {
namespace {

constexpr int kWidth = 1200;
constexpr int kMargin = 8;
constexpr int kGap = 6;
constexpr int kTallestPanel = 120;
constexpr int kLowestPanel = 40;
// Many positions share this much height, down to the lowest panel: a long code stays one picture.
constexpr int kPanelsHeight = 3600;
constexpr int kUnlearnedPanel = 16;  // nothing to draw in it but the shade
constexpr int kNgStripHeight = 60;
constexpr int kNgBinWidth = 4;  // pixels per bin of judgements in the NG strip
constexpr int kDash = 4;

struct Colour {
    std::uint8_t r, g, b;
};
constexpr Colour kFrame{190, 190, 190};
constexpr Colour kLearning{238, 238, 238};
constexpr Colour kBaseline{110, 110, 110};
constexpr Colour kLimit{235, 140, 0};
constexpr Colour kMean{165, 195, 235};
constexpr Colour kLevel{20, 60, 160};
constexpr Colour kAlarm{220, 0, 0};
constexpr Colour kNg{200, 40, 40};

class Canvas {
  public:
    Canvas(int width, int height)
        : m_width(width), m_height(height), m_rgb(static_cast<std::size_t>(width) * height * 3, 255) {}

    void dot(int x, int y, Colour c) {
        if (x < 0 || y < 0 || x >= m_width || y >= m_height) {
            return;
        }
        std::uint8_t* pixel = &m_rgb[(static_cast<std::size_t>(y) * m_width + x) * 3];
        pixel[0] = c.r;
        pixel[1] = c.g;
        pixel[2] = c.b;
    }

    // Corners included, in any order.
    void fill(int x0, int y0, int x1, int y1, Colour c) {
        for (int y = std::min(y0, y1); y <= std::max(y0, y1); ++y) {
            for (int x = std::min(x0, x1); x <= std::max(x0, x1); ++x) {
                dot(x, y, c);
            }
        }
    }

    void line(int x0, int y0, int x1, int y1, Colour c) {
        const int dx = std::abs(x1 - x0);
        const int dy = -std::abs(y1 - y0);
        const int sx = x0 < x1 ? 1 : -1;
        const int sy = y0 < y1 ? 1 : -1;
        for (int error = dx + dy;;) {
            dot(x0, y0, c);
            if (x0 == x1 && y0 == y1) {
                return;
            }
            const int twice = 2 * error;
            if (twice >= dy) {
                error += dy;
                x0 += sx;
            }
            if (twice <= dx) {
                error += dx;
                y0 += sy;
            }
        }
    }

    int width() const { return m_width; }
    int height() const { return m_height; }
    const std::uint8_t* rgb() const { return m_rgb.data(); }

  private:
    int m_width;
    int m_height;
    std::vector<std::uint8_t> m_rgb;
};

// Judgement numbers 1..judgements across the plot's columns.
struct TimeAxis {
    long long judgements;
    int left;
    int width;

    int x(long long judgement) const {
        if (judgements <= 1) {
            return left;
        }
        return left + static_cast<int>((judgement - 1) * (width - 1) / (judgements - 1));
    }
};

// A difference to its row in a panel from `top` down `height` rows, `low` at the bottom.
struct ValueAxis {
    int top;
    int height;
    double low;
    double high;

    int y(double value) const {
        const double share = (value - low) / (high - low);
        return top + height - 1 - static_cast<int>(std::lround(share * (height - 1)));
    }
};

void DrawPosition(Canvas& canvas, const TimeAxis& time, int top, int height, const PositionTrend& position,
                  const std::vector<TrendAlarm>& alarms) {
    const int right = time.left + time.width - 1;
    const int bottom = top + height - 1;
    const std::vector<TrendPoint>& points = position.points();
    if (!position.learned() || points.empty()) {
        canvas.fill(time.left, top, right, bottom, kLearning);
    } else {
        canvas.fill(time.left, top, time.x(points.front().judgement), bottom, kLearning);
        double low = std::min(0.0, position.baseline());
        double high = position.limit();
        for (const TrendPoint& point : points) {
            low = std::min(low, double{point.mean});
            high = std::max({high, double{point.mean}, double{point.level}});
        }
        high += (high - low) * 0.1 + 1;  // room above the highest mark
        const ValueAxis value{top, height, low, high};
        canvas.line(time.left, value.y(position.baseline()), right, value.y(position.baseline()), kBaseline);
        for (int x = time.left; x <= right; x += 2 * kDash) {
            const int y = value.y(position.limit());
            canvas.line(x, y, std::min(x + kDash - 1, right), y, kLimit);
        }
        for (const TrendPoint& point : points) {
            const int x = time.x(point.judgement);
            const int y = value.y(point.mean);
            canvas.fill(x, y, x + 1, y + 1, kMean);
        }
        for (std::size_t i = 1; i < points.size(); ++i) {
            canvas.line(time.x(points[i - 1].judgement), value.y(points[i - 1].level),
                        time.x(points[i].judgement), value.y(points[i].level), kLevel);
        }
    }
    for (const TrendAlarm& alarm : alarms) {
        if (alarm.position == position.position()) {
            const int x = time.x(alarm.judgement);
            canvas.fill(x, top, x + 1, bottom, kAlarm);
        }
    }
    canvas.line(time.left - 1, top - 1, right + 1, top - 1, kFrame);
    canvas.line(time.left - 1, bottom + 1, right + 1, bottom + 1, kFrame);
    canvas.line(time.left - 1, top - 1, time.left - 1, bottom + 1, kFrame);
    canvas.line(right + 1, top - 1, right + 1, bottom + 1, kFrame);
}

// The NG share of each bin of judgements, a bar from the strip's bottom (full height: every one NG).
void DrawNgRate(Canvas& canvas, const TimeAxis& time, int top, const MarginTrend& trend) {
    const int bottom = top + kNgStripHeight - 1;
    const int right = time.left + time.width - 1;
    canvas.line(time.left - 1, bottom + 1, right + 1, bottom + 1, kFrame);
    if (trend.judgements() == 0) {
        return;
    }
    const long long bins = std::min<long long>(time.width / kNgBinWidth, trend.judgements());
    std::vector<long long> ng(static_cast<std::size_t>(bins), 0);
    for (const long long judgement : trend.ngJudgements()) {
        ++ng[static_cast<std::size_t>((judgement - 1) * bins / trend.judgements())];
    }
    for (long long bin = 0; bin < bins; ++bin) {
        // How many judgements the bin holds, by the same split as above.
        const long long first = (bin * trend.judgements() + bins - 1) / bins;
        const long long last = ((bin + 1) * trend.judgements() + bins - 1) / bins;
        const double share =
            static_cast<double>(ng[static_cast<std::size_t>(bin)]) / std::max(1LL, last - first);
        const int barHeight = static_cast<int>(std::lround(std::min(1.0, share) * kNgStripHeight));
        if (barHeight > 0) {
            const int x0 = time.left + static_cast<int>(bin * time.width / bins);
            const int x1 = time.left + static_cast<int>((bin + 1) * time.width / bins) - 1;
            canvas.fill(x0, bottom - barHeight + 1, x1, bottom, kNg);
        }
    }
}

}  // namespace

std::vector<std::uint8_t> TrendChartPng(const MarginTrend& trend) {
    const auto learned = std::count_if(trend.positions().begin(), trend.positions().end(),
                                       [](const PositionTrend& position) { return position.learned(); });
    const int panelHeight = learned == 0 ? 0
                                         : std::clamp(kPanelsHeight / static_cast<int>(learned) - kGap,
                                                      kLowestPanel, kTallestPanel);
    const auto heightOf = [panelHeight](const PositionTrend& position) {
        return position.learned() ? panelHeight : kUnlearnedPanel;
    };
    int height = kMargin + kNgStripHeight + kMargin;
    for (const PositionTrend& position : trend.positions()) {
        height += heightOf(position) + kGap;
    }
    Canvas canvas(kWidth, height);
    const TimeAxis time{trend.judgements(), kMargin, kWidth - 2 * kMargin};
    int top = kMargin;
    for (const PositionTrend& position : trend.positions()) {
        DrawPosition(canvas, time, top, heightOf(position), position, trend.alarms());
        top += heightOf(position) + kGap;
    }
    DrawNgRate(canvas, time, top, trend);

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(canvas.width());
    image.height = static_cast<png_uint_32>(canvas.height());
    image.format = PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    if (png_image_write_to_memory(&image, nullptr, &size, 0, canvas.rgb(), 0, nullptr) == 0) {
        return {};
    }
    std::vector<std::uint8_t> png(size);
    if (png_image_write_to_memory(&image, png.data(), &size, 0, canvas.rgb(), 0, nullptr) == 0) {
        png_image_free(&image);
        return {};
    }
    png.resize(size);
    return png;
}

}  // namespace torv::cli
