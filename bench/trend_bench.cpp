// The margin trend's cost: nanoseconds per judgement of six characters fed to the trend (a stable print
// with a smudge now and then, so every rule is evaluated at every subgroup), and the Trend window's
// repaint of a 100 000-judgement history, median of several, rendered off screen. The update should stay
// under 2 µs and the repaint under 16 ms (one frame).

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "app/trend_chart.h"
#include "app/trend_window.h"
#include "bench/statistics.h"
#include "monitor/margin_trend.h"

namespace {

using torv::bench::Median;

using Clock = std::chrono::steady_clock;
constexpr int kJudgements = 100000;
constexpr int kUpdateRounds = 10;
constexpr int kRepaints = 21;
constexpr int kSmudgeEvery = 3000;

std::vector<torv::Judgement> StablePrint() {
    std::vector<torv::Judgement> judgements;
    std::uint64_t state = 1;
    for (int k = 1; k <= kJudgements; ++k) {
        torv::Judgement judgement{k % kSmudgeEvery == 0 ? torv::kJudgedNg : torv::kJudgedOk, {}};
        for (char c : std::string("261002")) {
            state = state * 6364136223846793005ULL + 1442695040888963407ULL;
            const int good = static_cast<int>((state >> 33) % 21) + (k % kSmudgeEvery == 0 ? 100 : 0);
            judgement.characters.push_back(torv::JudgedCharacter{c, 'O', good, good + 30});
        }
        judgements.push_back(std::move(judgement));
    }
    return judgements;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const std::vector<torv::Judgement> judgements = StablePrint();
    std::vector<double> perJudgement;
    std::shared_ptr<torv::MarginTrend> trend;
    for (int round = 0; round < kUpdateRounds; ++round) {
        trend = std::make_shared<torv::MarginTrend>();
        const auto start = Clock::now();
        for (const torv::Judgement& judgement : judgements) {
            trend->add(judgement, "Dec 08 2026 10:00:00.000");
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        perJudgement.push_back(seconds * 1e9 / kJudgements);
    }
    std::printf(
        "trend update: %.0f ns per judgement of 6 characters (median of %d rounds of %d), %zu alarms\n",
        Median(perJudgement), kUpdateRounds, kJudgements, trend->alarms().size());

    torv::TrendWindow window([trend] { return trend; });
    window.resize(1280, 900);
    window.show();
    window.refresh();
    QImage image(window.size(), QImage::Format_ARGB32_Premultiplied);
    std::vector<double> repaints;
    for (int round = 0; round < kRepaints; ++round) {
        const auto start = Clock::now();
        QPainter painter(&image);
        window.render(&painter);
        painter.end();
        repaints.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::printf("Trend window repaint, %d judgements, %d charts at %dx%d: %.2f ms (median of %d)\n",
                kJudgements, 7, window.width(), window.height(), Median(repaints), kRepaints);
    std::vector<double> charts;
    for (int round = 0; round < kRepaints; ++round) {
        const auto start = Clock::now();
        for (QWidget* chart : window.findChildren<torv::PositionTrendChart*>()) {
            QImage one(chart->size(), QImage::Format_ARGB32_Premultiplied);
            QPainter painter(&one);
            chart->render(&painter);
        }
        charts.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::printf("  of which the six position charts: %.2f ms\n", Median(charts));
    return 0;
}
