#pragma once
// What every fuzz target shares: a scratch folder of its own for the files it reads and writes, and a
// check that stops the run with a message when a property does not hold (libFuzzer then keeps the
// input that broke it).

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace torv::fuzz {

// A folder under $TMPDIR (or /tmp) for this process, made on first use and removed at exit.
const std::string& ScratchFolder();
// `name` in the scratch folder.
std::string ScratchPath(std::string_view name);

void WriteBytes(const std::string& path, std::span<const std::uint8_t> bytes);
std::string ReadBytes(const std::string& path);

// Prints `what` and aborts when `condition` is false.
void Require(bool condition, std::string_view what);

// Takes an input apart from the front: numbers for a target's choices, then bytes. An input used up
// gives zeros and empty byte runs. The seed writer (make_seeds.cpp) builds inputs in the same order.
class InputReader {
  public:
    InputReader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    std::size_t remaining() const { return m_size - m_at; }
    // One byte, or two (low byte first) when `max` does not fit in one, taken modulo max - min + 1.
    int number(int min, int max);
    std::vector<std::uint8_t> bytes(std::size_t count);
    std::vector<std::uint8_t> rest() { return bytes(remaining()); }

  private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

// The bytes InputReader::number(min, max) takes for `value`.
std::vector<std::uint8_t> NumberBytes(int min, int max, int value);

}  // namespace torv::fuzz
