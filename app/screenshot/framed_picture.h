#pragma once
// A window's picture as the screen shows it, with the title bar and frame its window manager gave it.

#include <functional>

class QString;
class QWidget;

namespace torv::screenshot {

// The exit code of a scene whose picture was not saved.
inline constexpr int kExitFailure = 1;

// Saves the window's frame area read from the screen; without a window manager (no frame) or when the
// screen cannot be read, the window's own picture. False when the file could not be written.
bool SaveFramedPicture(QWidget& window, const QString& path);

// Shows the window, waits for the window system to map and paint it, runs `beforePicture` (a pointer
// moved over it, say), saves its framed picture to `path` and ends; the program's exit code.
int ShowAndSavePicture(QWidget& window, const QString& path, const std::function<void()>& beforePicture = {});

}  // namespace torv::screenshot
