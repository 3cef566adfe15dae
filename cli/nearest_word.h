#pragma once
// What a mistyped word most likely meant, for "did you mean ...?" after a usage mistake.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace torv::cli {

// Edits (insert, delete, change a character) that turn one text into the other.
std::size_t EditDistance(std::string_view a, std::string_view b);

// The candidate closest to `typed` (without regard to case) when it is at most two edits away. The
// typed word itself is never proposed: a user who typed a valid word in the wrong place needs a
// different hint than its own name back.
std::optional<std::string> NearestWord(std::string_view typed, const std::vector<std::string>& candidates);

}  // namespace torv::cli
