#pragma once
// `-` as the name of a file to read, standard input, and names of streams such as /dev/stdin or a
// shell's <(...): each kept in a temporary file for the run, so that the file loaders (which take
// only regular files, and may look at one more than once) read it as they read any other.

#include <string>

namespace torv::cli {

inline constexpr const char* kStandardStreamName = "-";

// The temporary file holding all of standard input (read once per run, whatever the extension);
// empty when it could not be made, with the reason on stderr. Removed when torvctl ends.
std::string StandardInputFile(const std::string& extension);
// The same for any stream name ("-" is standard input).
std::string StreamCopy(const std::string& source, const std::string& extension);

// Whether a name is to be taken as it stands, without a kind's extension added: a device, a pipe or
// a name under /dev/ or /proc/ (/dev/stdin, the /dev/fd/63 of a shell's <(...)).
bool NamesStreamAsItIs(const std::string& name);

}  // namespace torv::cli
