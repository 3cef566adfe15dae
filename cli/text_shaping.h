#pragma once
// Small text shapes the commands share: case-blind matching of the words a user types, and the
// columns of a table printed on a terminal.

#include <cstddef>
#include <string>
#include <string_view>

namespace torv::cli {

// `text` with its ASCII letters in upper case ("shutter" -> "SHUTTER").
std::string UpperCase(std::string_view text);

// `text` with spaces after it up to `width` characters; longer text stays whole.
std::string Padded(std::string text, std::size_t width);

}  // namespace torv::cli
