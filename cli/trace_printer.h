#pragma once

#include <functional>
#include <string>

namespace torv::cli {

// Prints every frame sent and received on stderr, in hex, with a millisecond time stamp; with a
// `portLabel`, each line also names the port's sensor (a fleet runs many at once).
void StartTrace(std::function<std::string(int port)> portLabel = {});

}  // namespace torv::cli
