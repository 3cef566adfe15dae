// Enter presses the focused button in every window of the tool, so the focused button wears a frame
// in the highlight colour that is plain to see.

#include <QDialog>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest>

#include "tests/gui/support/gui_harness.h"
#include "ui/focus_frame_style.h"

using namespace torv;
using namespace torv::test;

namespace {

// Pixels close to the highlight colour: the frame's, not the button's own shading.
int HighlightPixels(const QImage& image, const QColor& highlight) {
    constexpr int kCloseEnough = 40;
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - highlight.red()) + std::abs(c.green() - highlight.green()) +
                    std::abs(c.blue() - highlight.blue()) <
                kCloseEnough) {
                ++count;
            }
        }
    }
    return count;
}

}  // namespace

class FocusFrameTest : public QObject {
    Q_OBJECT

  private slots:
    void focusedButtonWearsAHighlightFrame() {
        QApplication::setStyle(new FocusFrameStyle(QApplication::style()->name()));
        QDialog dialog;
        auto* ok = new QPushButton(QStringLiteral("OK"));
        auto* cancel = new QPushButton(QStringLiteral("Cancel"));
        auto* layout = new QVBoxLayout(&dialog);
        layout->addWidget(ok);
        layout->addWidget(cancel);
        QVERIFY(ShowActive(dialog));
        const QColor highlight = ok->palette().highlight().color();
        ok->setFocus();
        const QImage focused = ok->grab().toImage();
        cancel->setFocus();
        const QImage unfocused = ok->grab().toImage();
        // A frame two pixels wide along most of the button's edges.
        const int perimeter = 2 * (focused.width() + focused.height());
        QVERIFY2(HighlightPixels(focused, highlight) - HighlightPixels(unfocused, highlight) > perimeter,
                 qPrintable(QStringLiteral("%1 vs %2")
                                .arg(HighlightPixels(focused, highlight))
                                .arg(HighlightPixels(unfocused, highlight))));
    }
};

QTEST_MAIN(FocusFrameTest)
#include "focus_frame_test.moc"
