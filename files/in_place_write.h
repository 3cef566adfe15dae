#pragma once
// Writing over a file's own bytes, where its folder takes no new file (so no temporary file can stand
// beside it). The file is never emptied first: the new content goes over the old from the start and
// only then is the file cut to its length, and a write that fails puts the old content back.

#include <string>
#include <string_view>

namespace torv {

// The file's bytes; false with errno set.
bool ReadWholeFile(const std::string& path, std::string& content);

// Writes `content` over the file: 0, or the errno value of what failed.
int OverwriteInPlace(const std::string& path, std::string_view content);
// The same, and when it fails the file gets `previous` back the same way.
int WriteInPlace(const std::string& path, std::string_view content, std::string_view previous);

}  // namespace torv
