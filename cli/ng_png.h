#pragma once
// The NG screen image as a PNG file: the same 256 x 244 pixels, for sharing where a bitmap is
// unwelcome.

#include <string>

#include "cli/cli_context.h"

namespace torv::cli {

// Converts `bitmapPath` (an NG screen image as the tool writes it) into `pngPath`, asking first when
// that exists. Exit code; messages on stderr, the written name on stdout.
int ConvertNgImageToPng(const GlobalOptions& options, const std::string& bitmapPath,
                        const std::string& pngPath);

}  // namespace torv::cli
