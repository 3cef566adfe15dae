#include "ngdata/ng_viewer_files.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "files/file_status.h"
#include "files/text_file.h"

namespace torv {
namespace {

// The viewer's line buffer: 256 bytes, so at most 255 characters per piece.
constexpr std::size_t kPieceChars = 255;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Regular files only: a folder or FIFO of that name is no NG file (and must not block the viewer).
FileHandle OpenRegular(const std::string& path) {
    return FileHandle(PathKindOf(path) == PathKind::kRegular ? std::fopen(path.c_str(), "rb") : nullptr);
}

// The file's bytes as the C runtime's text mode delivers them: a CR right before an LF is dropped.
std::string ReadAsText(std::FILE* file) {
    std::string text;
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) {
        if (c == '\n' && !text.empty() && text.back() == '\r') {
            text.back() = '\n';
        } else {
            text += static_cast<char>(c);
        }
    }
    return text;
}

}  // namespace

bool LoadNgViewerImage(const std::string& path, NgViewerImage& image) {
    const FileHandle file = OpenRegular(path);
    if (!file) {
        return false;
    }
    const std::size_t headerRead = std::fread(image.header.data(), 1, image.header.size(), file.get());
    image.pixelBytesRead =
        headerRead == image.header.size()
            ? static_cast<int>(std::fread(image.pixels.data(), 1, image.pixels.size(), file.get()))
            : 0;
    return true;
}

std::optional<std::string> NgViewerText(const std::string& path) {
    const FileHandle file = OpenRegular(path);
    if (!file) {
        return std::nullopt;
    }
    const std::string text = ReadAsText(file.get());
    std::string shown;
    std::size_t at = 0;
    while (at < text.size()) {
        // A piece ends after its line end, or when the buffer is full.
        const std::size_t lineEnd = text.find('\n', at);
        const std::size_t pieceEnd =
            std::min(lineEnd == std::string::npos ? text.size() : lineEnd + 1, at + kPieceChars);
        std::string piece = text.substr(at, pieceEnd - at);
        // The piece is a C string: it ends at its line end, or at a NUL byte read from the file.
        piece = piece.substr(0, piece.find_first_of(std::string_view("\n\0", 2)));
        shown += piece;
        shown += kLineEnd;
        at = pieceEnd;
    }
    return shown;
}

}  // namespace torv
