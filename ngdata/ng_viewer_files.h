#pragma once
// What the NG data viewer reads: the image file's header and pixels into a buffer that outlives the
// viewer (an image file that ends early leaves the rest of the buffer as it was), and the NG data
// file as the viewer's text.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ngdata/ng_image.h"

namespace torv {

struct NgViewerImage {
    std::array<std::uint8_t, kBitmapHeaderSize> header{};
    std::vector<std::uint8_t> pixels = std::vector<std::uint8_t>(kBitmapPixelBytes, 0);  // bottom-up BGR rows
    int pixelBytesRead = 0;                                                              // by the last load
};

// Reads the 54 header bytes (not examined) and then up to 187392 pixel bytes. False when the file
// cannot be opened (the viewer then shows `kNgDataFileNotFound`); the buffer is then untouched.
bool LoadNgViewerImage(const std::string& path, NgViewerImage& image);

// The NG data file as the viewer shows it, or nullopt when it cannot be opened (the viewer then
// shows `kNgDataFileNotFound`). The file is read as text (a CR before LF is dropped) in pieces of at
// most 255 characters, each cut at its first line end and followed by CR LF; so a line longer than 255
// characters shows as several.
std::optional<std::string> NgViewerText(const std::string& path);

}  // namespace torv
