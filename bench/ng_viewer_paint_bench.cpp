// The NG data viewer's full repaint of its 256 x 244 image at 1:1 (and at 2:1), on the offscreen
// platform: the time per paint, median of several rounds. The target is under 2 ms at 1:1.

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "ngdata/ng_image_view.h"

namespace {

constexpr int kPaintsPerRound = 500;
constexpr int kRounds = 9;

QImage TestImage() {
    QImage image(256, 244, QImage::Format_RGB888);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            image.setPixel(x, y, qRgb(x, y, (x * y) & 0xFF));
        }
    }
    return image;
}

// Microseconds per paint, painting the whole view into a window-sized backing image.
double MedianPaintMicroseconds(torv::NgImageView& view) {
    QImage target(view.size(), QImage::Format_ARGB32_Premultiplied);
    std::vector<double> rounds;
    for (int r = 0; r < kRounds; ++r) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < kPaintsPerRound; ++i) {
            view.render(&target);
        }
        rounds.push_back(static_cast<double>(timer.nsecsElapsed()) / 1000.0 / kPaintsPerRound);
    }
    std::sort(rounds.begin(), rounds.end());
    return rounds[rounds.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    torv::NgImageView view;
    view.setImage(TestImage());
    for (const auto& [zoom, name] : {std::pair{torv::NgZoom::kOne, "1:1"}, {torv::NgZoom::kTwo, "2:1"}}) {
        view.setZoom(zoom);
        view.resize(view.sizeHint());
        std::printf("viewer paint at %s (%dx%d): %.1f us per paint\n", name, view.width(), view.height(),
                    MedianPaintMicroseconds(view));
    }
    return 0;
}
