#include "ngdata/ng_image.h"

#include <algorithm>

namespace torv {
namespace {

constexpr int kGrayShift = 1;
constexpr int kGrayMask = 0x3F;
constexpr int kGrayScale = 4;
constexpr int kBlueShift = 7;
constexpr int kRedShift = 10;
constexpr int kGreenShift = 13;
constexpr int kComponentMask = 0x7;
constexpr int kComponentScale = 32;

// Header fields: offset and value, little-endian, 2 or 4 bytes.
constexpr int kInfoHeaderSize = 40;
constexpr int kPlanes = 1;
constexpr int kBitsPerPixel = 24;

struct HeaderField {
    int offset;
    int width;
    std::uint32_t value;
};

constexpr HeaderField kHeaderFields[] = {
    {0, 1, 'B'},
    {1, 1, 'M'},
    {2, 4, kBitmapFileSize},
    {10, 4, kBitmapHeaderSize},
    {14, 4, kInfoHeaderSize},
    {18, 4, kNgImageWidth},
    {22, 4, kNgImageHeight},  // positive: bottom-up
    {26, 2, kPlanes},
    {28, 2, kBitsPerPixel},
    {34, 4, kBitmapPixelBytes},
};  // everything else (reserved, compression, resolutions, colour counts) is 0

std::uint8_t Component(std::uint16_t word, int shift) {
    return static_cast<std::uint8_t>(((word >> shift) & kComponentMask) * kComponentScale);
}

std::uint16_t PixelWord(const NgImageLines& lines, int line, int column) {
    const auto at = static_cast<std::size_t>(line * kImageLineBytes + 2 * column);
    return static_cast<std::uint16_t>(lines[at] | (lines[at + 1] << 8));
}

// Appends the rows of lines 121..0, each pixel as `pixelOf` makes it.
template <typename PixelOf>
void AppendHalf(const NgImageLines& lines, PixelOf pixelOf, std::vector<std::uint8_t>& out) {
    for (int line = kImageLineCount - 1; line >= 0; --line) {
        for (int column = 0; column < kNgImageWidth; ++column) {
            const BgrPixel p = pixelOf(PixelWord(lines, line, column));
            out.insert(out.end(), {p.blue, p.green, p.red});
        }
    }
}

}  // namespace

BgrPixel GrayPixel(std::uint16_t word) {
    const auto gray = static_cast<std::uint8_t>(((word >> kGrayShift) & kGrayMask) * kGrayScale);
    return {gray, gray, gray};
}

BgrPixel ColourPixel(std::uint16_t word) {
    return {Component(word, kBlueShift), Component(word, kGreenShift), Component(word, kRedShift)};
}

std::array<std::uint8_t, kBitmapHeaderSize> NgBitmapHeader() {
    std::array<std::uint8_t, kBitmapHeaderSize> header{};
    for (const HeaderField& field : kHeaderFields) {
        for (int i = 0; i < field.width; ++i) {
            header[static_cast<std::size_t>(field.offset + i)] =
                static_cast<std::uint8_t>(field.value >> (8 * i));
        }
    }
    return header;
}

std::vector<std::uint8_t> NgBitmapBytes(const NgImageLines& lines) {
    const auto header = NgBitmapHeader();
    std::vector<std::uint8_t> out(header.begin(), header.end());
    out.reserve(kBitmapFileSize);
    AppendHalf(lines, ColourPixel, out);
    AppendHalf(lines, GrayPixel, out);
    return out;
}

bool IsNgBitmapHeader(std::span<const std::uint8_t> header) {
    const auto expected = NgBitmapHeader();
    return header.size() >= expected.size() && std::equal(expected.begin(), expected.end(), header.begin());
}

}  // namespace torv
