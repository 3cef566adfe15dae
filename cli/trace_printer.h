#pragma once

namespace torv::cli {

// Prints every frame sent and received on stderr, in hex, with a millisecond time stamp.
void StartTrace();

}  // namespace torv::cli
