#pragma once

#include <functional>
#include <string>

namespace torv::cli {

// Prints the protocol trace on stderr, line for line as the trace window shows it: each frame sent,
// each reply joined into one line with its failure marked; with a `portLabel`, each line also names
// the port's sensor (a fleet runs many at once).
void StartTrace(std::function<std::string(int port)> portLabel = {});

}  // namespace torv::cli
