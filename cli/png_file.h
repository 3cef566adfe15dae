#pragma once
// Writing a PNG the tool has made: asked about first when the name exists, and written whole or not at
// all, so that a failed write never leaves half an image or spoils the file it was to replace.

#include <cstdint>
#include <string>
#include <vector>

#include "cli/cli_context.h"

namespace torv::cli {

// Writes `png` (a whole encoded image; empty when the encoder failed) to `pngPath`. Exit code, with the
// message on stderr when the write was declined or failed; prints nothing on success.
int WritePngFile(const GlobalOptions& options, const std::string& pngPath,
                 const std::vector<std::uint8_t>& png);

}  // namespace torv::cli
