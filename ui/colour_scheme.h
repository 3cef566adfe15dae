#pragma once
// Light or dark as the desktop chooses. Qt takes the desktop's palette where the platform offers one;
// on Windows it does so only when asked before the application starts, and the Windows styles paint
// light whatever the palette, so a dark desktop gets the Fusion style. The few colours of the tool's
// own (a held NG, the trend's level line) come in a light and a dark shade.

#include <QColor>
#include <QPalette>

namespace torv {

// Before the QApplication exists: asks the platform for the desktop's colour scheme where that needs
// asking (Windows), unless the user chose a platform of their own.
void AskForDesktopColourScheme();

// After it exists: the platform's style, or Fusion when the palette is dark and the style paints light.
// Returns the name of the style to wrap.
QString StyleForColourScheme();

bool IsDarkPalette(const QPalette& palette);

// The colour of a held NG's text, readable on the palette's window colour.
QColor NgTextColour(const QPalette& palette);

}  // namespace torv
