// torvctl's file commands for NG images and dictionaries: ng png read back through libpng, and dict
// show, with what each refuses (a missing file is in torvctl_errors_test; the transfers run in the fault
// matrix and the questions' table).

#include <png.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "ngdata/ng_image.h"
#include "tests/support/simulated_sensor.h"

namespace torv {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

using test::RunTorvctl;

// The PNG's pixels as top-down rows of blue, green, red; empty when libpng cannot read it as 256 x 244.
std::vector<std::uint8_t> PngPixels(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
        return {};
    }
    image.format = PNG_FORMAT_BGR;
    std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (image.width != kNgImageWidth || image.height != kNgImageHeight ||
        png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) == 0) {
        png_image_free(&image);
        return {};
    }
    return pixels;
}

class TorvctlNg : public ::testing::Test {
  protected:
    std::string path(const std::string& name) const { return m_files.file(name); }
    test::TempDir m_files;
};

TEST_F(TorvctlNg, PngOfAReadImageGivesTheSamePixelsUpright) {
    test::SimulatedSensor sensor;
    ASSERT_EQ(RunTorvctl({"--port", sensor.devicePath(), "ng", "read", path("slot"), "--ng", "2"}).exitCode,
              0);
    const auto png = RunTorvctl({"ng", "png", path("slot")});
    EXPECT_EQ(png.exitCode, 0) << png.err;
    EXPECT_EQ(png.out, path("slot.png") + "\n");
    const std::string bitmap = ReadFileBytes(path("slot.bmp"));
    const std::vector<std::uint8_t> pixels = PngPixels(path("slot.png"));
    ASSERT_EQ(pixels.size(), static_cast<std::size_t>(kBitmapPixelBytes));
    for (int row = 0; row < kNgImageHeight; ++row) {  // the bitmap's rows are bottom-up
        const auto* expected = reinterpret_cast<const std::uint8_t*>(bitmap.data()) + kBitmapHeaderSize +
                               (kNgImageHeight - 1 - row) * kBitmapRowBytes;
        ASSERT_TRUE(std::equal(expected, expected + kBitmapRowBytes, pixels.begin() + row * kBitmapRowBytes))
            << "row " << row;
    }

    // An existing PNG is replaced only after Yes; the screen image itself never.
    EXPECT_EQ(RunTorvctl({"ng", "png", path("slot")}).exitCode, 3);
    EXPECT_EQ(RunTorvctl({"--yes", "ng", "png", path("slot.bmp"), "--out", path("copy.png")}).exitCode, 0);
    EXPECT_EQ(RunTorvctl({"--yes", "ng", "png", path("slot"), "--out", path("slot.bmp")}).exitCode, 2);
    EXPECT_EQ(ReadFileBytes(path("slot.bmp")), bitmap);
    // `--out -`: the same PNG, byte for byte, as the whole of stdout.
    const auto piped = RunTorvctl({"ng", "png", path("slot"), "--out", "-"});
    EXPECT_EQ(piped.exitCode, 0) << piped.err;
    EXPECT_TRUE(piped.out == ReadFileBytes(path("slot.png")));
}

TEST_F(TorvctlNg, PngRefusesWhatIsNoNgImage) {
    WriteFileBytes(path("short.bmp"), std::string(1000, 'B'));
    const auto refused = RunTorvctl({"ng", "png", path("short")});
    EXPECT_EQ(refused.exitCode, 5);
    EXPECT_NE(refused.err.find("is not an NG screen image"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(path("short.png")));
}

TEST(TorvctlDict, ShowPrintsEachCharactersNumberCodeAndDots) {
    test::TempDir folder;
    const std::string rows = "   *   \r\n   *   \r\n   +   \r\n   *   \r\n   -   \r\n   *   \r\n   *   \r\n";
    WriteFileBytes(folder.file("d.dic4"), "1\r\n" + rows + "\r\n" + rows);
    const auto shown = RunTorvctl({"dict", "show", folder.file("d")});
    EXPECT_EQ(shown.exitCode, 0) << shown.err;
    const std::string dots = " ...#...   ...#...  \n";
    const std::string gap = " .......   .......  \n";
    EXPECT_EQ(shown.out,
              " 1 1       2 0x0A   \n" + dots + dots + dots + dots + gap + dots + dots + "\n2 characters\n");

    WriteFileBytes(folder.file("bad.dic4"), "1\r\n" + rows + "2\r\n   *\r\n");
    const auto invalid = RunTorvctl({"dict", "show", folder.file("bad.dic4")});
    EXPECT_EQ(invalid.exitCode, 5);
    EXPECT_EQ(invalid.err.substr(0, invalid.err.find('\n')),
              "The expansion dictionary data file is invalid.");
    EXPECT_EQ(invalid.out.substr(0, 4), " 1 1");
}

}  // namespace
}  // namespace torv
