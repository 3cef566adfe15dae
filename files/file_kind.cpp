#include "files/file_kind.h"

namespace torv {

std::string_view FileKindExtension(int kind) {
    switch (kind) {
        case kParameterFile:
            return ".torv";
        case kDictionaryFile:
            return ".dic4";
        case kNgDataFile:
            return ".ng4";
        case kNgImageFile:
            return ".bmp";
        default:
            return kind > kCsvFile || kind == kCsvFile ? ".csv" : "";
    }
}

std::string MakeFilePath(std::string_view name, int kind) {
    std::string path(name);
    path += FileKindExtension(kind);
    return path;
}

std::string RemoveKnownExtension(std::string_view path, std::initializer_list<std::string_view> extensions) {
    for (std::string_view extension : extensions) {
        if (path.ends_with(extension)) {
            path.remove_suffix(extension.size());
            break;
        }
    }
    return std::string(path);
}

}  // namespace torv
