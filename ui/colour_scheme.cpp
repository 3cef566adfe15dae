#include "ui/colour_scheme.h"

#include <QApplication>
#include <QStyle>

namespace torv {
namespace {

constexpr int kMiddleLightness = 128;

}  // namespace

void AskForDesktopColourScheme() {
#ifdef _WIN32
    // darkmode=2: the palette too, not only the title bars.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "windows:darkmode=2");
    }
#endif
}

QString StyleForColourScheme() {
    const QString name = QApplication::style()->name();
    const bool paintsLight = name.startsWith(QLatin1String("windows"), Qt::CaseInsensitive);
    return IsDarkPalette(QApplication::palette()) && paintsLight ? QStringLiteral("fusion") : name;
}

bool IsDarkPalette(const QPalette& palette) {
    return palette.color(QPalette::Window).lightness() < kMiddleLightness;
}

QColor NgTextColour(const QPalette& palette) {
    return IsDarkPalette(palette) ? QColor(0xff, 0x8a, 0x80) : QColor(0xb0, 0x00, 0x20);
}

}  // namespace torv
