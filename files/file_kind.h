#pragma once
// The file-kind rule: a Filename field holds a name without extension, and each kind of file the
// tool writes adds its own extension to it.

#include <initializer_list>
#include <string>
#include <string_view>

namespace torv {

enum FileKind : int {
    kParameterFile = 0,   // ".torv"
    kDictionaryFile = 1,  // ".dic4"
    kNgDataFile = 3,      // ".ng4"
    kNgImageFile = 4,     // ".bmp"
    kCsvFile = 5,         // ".csv"; any kind above 5 counts as 5
};

// The extension of a kind, dot included; kind 2 was never assigned and has none.
std::string_view FileKindExtension(int kind);

// The whole name, unchanged, followed by the kind's extension ("abc" -> "abc.torv",
// "abc.torv" -> "abc.torv.torv").
std::string MakeFilePath(std::string_view name, int kind);

// Removes one trailing extension out of `extensions` (case-sensitive), as the "Ref." buttons do with
// the file the user picked.
std::string RemoveKnownExtension(std::string_view path, std::initializer_list<std::string_view> extensions);

}  // namespace torv
