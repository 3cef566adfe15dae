#pragma once
// The NG screen image file (".bmp"): a 256 x 244 bitmap, 24 bits per pixel, bottom-up rows of 768
// bytes, 187446 bytes in all. Seen upright, its upper half is the gray image of image lines 0..121
// and its lower half the screen colour of the same lines. The sensor sends each image line as two
// blocks of 128 pixel words: bit 0 unused, bits 1..6 the gray level, bits 7..9 blue, 10..12 red and
// 13..15 green.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "ngdata/ng_slots.h"

namespace torv {

inline constexpr int kNgImageWidth = 256;
inline constexpr int kNgImageHeight = 2 * kImageLineCount;  // 244
inline constexpr int kBytesPerPixel = 3;                    // blue, green, red
inline constexpr int kBitmapRowBytes = kNgImageWidth * kBytesPerPixel;
inline constexpr int kBitmapHeaderSize = 54;
inline constexpr int kBitmapPixelBytes = kBitmapRowBytes * kNgImageHeight;     // 187392
inline constexpr int kBitmapFileSize = kBitmapHeaderSize + kBitmapPixelBytes;  // 187446

// The image lines as received: line L at byte 512 L, pixel k's word at bytes 2k (low) and 2k + 1.
using NgImageLines = std::array<std::uint8_t, kImageLineCount * kImageLineBytes>;

struct BgrPixel {
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;

    bool operator==(const BgrPixel&) const = default;
};

// The gray pixel of a word (each component gray level x 4) and its screen colour (each x 32).
BgrPixel GrayPixel(std::uint16_t word);
BgrPixel ColourPixel(std::uint16_t word);

std::array<std::uint8_t, kBitmapHeaderSize> NgBitmapHeader();

// The whole file: the header, then rows 0..121 the colour of lines 121..0, rows 122..243 the gray.
std::vector<std::uint8_t> NgBitmapBytes(const NgImageLines& lines);

// Whether `header` is this tool's NG bitmap header (what `ng png` and the viewer's status accept).
bool IsNgBitmapHeader(std::span<const std::uint8_t> header);

}  // namespace torv
