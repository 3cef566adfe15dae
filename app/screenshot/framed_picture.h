#pragma once
// A window's picture as the screen shows it, with the title bar and frame its window manager gave it.

class QString;
class QWidget;

namespace torv::screenshot {

// Saves the window's frame area read from the screen; without a window manager (no frame) or when the
// screen cannot be read, the window's own picture. False when the file could not be written.
bool SaveFramedPicture(QWidget& window, const QString& path);

}  // namespace torv::screenshot
