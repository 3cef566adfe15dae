#include "fuzz/fuzz_support.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace torv::fuzz {
namespace {

namespace fs = std::filesystem;

struct Scratch {
    std::string path;

    Scratch() {
        const char* tmp = std::getenv("TMPDIR");
        path = (fs::path(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") /
                ("torv-fuzz-" + std::to_string(getpid())))
                   .string();
        fs::create_directories(path);
    }
    ~Scratch() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

}  // namespace

const std::string& ScratchFolder() {
    static const Scratch scratch;
    return scratch.path;
}

std::string ScratchPath(std::string_view name) {
    return (fs::path(ScratchFolder()) / name).string();
}

void WriteBytes(const std::string& path, std::span<const std::uint8_t> bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    Require(out.good(), "the scratch file could not be written");
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Require(bool condition, std::string_view what) {
    if (!condition) {
        std::fprintf(stderr, "property broken: %.*s\n", static_cast<int>(what.size()), what.data());
        std::abort();
    }
}

namespace {

constexpr int kByteValues = 256;

bool NeedsTwoBytes(int min, int max) {
    return max - min >= kByteValues;
}

}  // namespace

int InputReader::number(int min, int max) {
    int raw = 0;
    const int width = NeedsTwoBytes(min, max) ? 2 : 1;
    for (int i = 0; i < width && m_at < m_size; ++i) {
        raw |= m_data[m_at++] << (8 * i);
    }
    return min + raw % (max - min + 1);
}

std::vector<std::uint8_t> InputReader::bytes(std::size_t count) {
    const std::size_t n = std::min(count, remaining());
    std::vector<std::uint8_t> out(m_data + m_at, m_data + m_at + n);
    m_at += n;
    return out;
}

std::vector<std::uint8_t> NumberBytes(int min, int max, int value) {
    const int raw = value - min;
    if (!NeedsTwoBytes(min, max)) {
        return {static_cast<std::uint8_t>(raw)};
    }
    return {static_cast<std::uint8_t>(raw & 0xFF), static_cast<std::uint8_t>(raw >> 8)};
}

}  // namespace torv::fuzz
