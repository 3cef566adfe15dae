#pragma once
// The texts that say a command succeeded ("Reading from TORV is completed."): on stdout, unless
// -q/--quiet asked for silence on success. Failures are never quiet.

#include <string_view>

namespace torv::cli {

void SetQuiet(bool quiet);
void SaySuccess(std::string_view text);

}  // namespace torv::cli
