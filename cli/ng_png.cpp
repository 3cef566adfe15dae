#include "cli/ng_png.h"

#include <png.h>

#include <fstream>
#include <iostream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <optional>
#include <vector>

#include "cli/console/console.h"
#include "cli/json_output.h"
#include "cli/png_file.h"
#include "cli/standard_input_file.h"
#include "files/file_status.h"
#include "ngdata/ng_image.h"
#include "resources/strings.h"

namespace torv::cli {
namespace {

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path) {
    if (PathKindOf(path) != PathKind::kRegular) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The PNG of the bitmap's pixels (bottom-up rows of blue, green, red); empty when libpng failed.
std::vector<std::uint8_t> PngOf(const std::uint8_t* pixels) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = kNgImageWidth;
    image.height = kNgImageHeight;
    image.format = PNG_FORMAT_BGR;
    // A negative row stride tells libpng that the rows are stored bottom-up, as in the bitmap.
    constexpr png_int_32 kBottomUpStride = -kBitmapRowBytes;
    png_alloc_size_t size = 0;
    if (png_image_write_to_memory(&image, nullptr, &size, 0, pixels, kBottomUpStride, nullptr) == 0) {
        return {};
    }
    std::vector<std::uint8_t> png(size);
    if (png_image_write_to_memory(&image, png.data(), &size, 0, pixels, kBottomUpStride, nullptr) == 0) {
        png_image_free(&image);
        return {};
    }
    png.resize(size);
    return png;
}

// `--out -`: the PNG's bytes are the whole output, for a pipe.
int WritePngToStandardOutput(const std::vector<std::uint8_t>& png) {
    if (png.empty()) {
        std::cerr << Text(StringId::kCreateFileFailed) << "\ntorvctl: libpng could not encode the image\n";
        return kExitFile;
    }
    SetStandardOutputBinary();
    std::cout.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    std::cout.flush();
    return kExitOk;  // a failed write is reported with exit 5 when the run ends
}

}  // namespace

int ConvertNgImageToPng(const GlobalOptions& options, const std::string& bitmapPath,
                        const std::string& pngPath) {
    const auto bitmap = ReadWholeFile(bitmapPath);
    if (!bitmap) {
        std::cerr << Text(StringId::kNgDataFileNotFound) << '\n' << NotReadableText(bitmapPath) << '\n';
        return kExitFile;
    }
    if (bitmap->size() != kBitmapFileSize || !IsNgBitmapHeader(*bitmap)) {
        std::cerr << "torvctl: " << bitmapPath << " is not an NG screen image (a 256 x 244 bitmap of "
                  << kBitmapFileSize << " bytes)\n";
        return kExitFile;
    }
    const std::vector<std::uint8_t> png = PngOf(bitmap->data() + kBitmapHeaderSize);
    if (pngPath == kStandardStreamName) {
        return WritePngToStandardOutput(png);
    }
    if (const int written = WritePngFile(options, pngPath, png); written != kExitOk) {
        return written;
    }
    if (JsonOutput()) {
        PrintJson(Json{{"file", pngPath}});
    } else {
        std::cout << pngPath << '\n';
    }
    return kExitOk;
}

}  // namespace torv::cli
