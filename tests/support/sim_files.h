#pragma once
// Reading what torvsim leaves behind: its state file (the sensor's memory after the test) and its
// exchange log (every frame it received).

#include <array>
#include <map>
#include <string>
#include <vector>

namespace torv::test {

struct SimState {
    int rate = 0;
    std::string version;
    std::map<int, int> words;  // non-zero words only
    std::array<int, 16> calendar{};
    std::vector<int> keys;

    int word(int address) const {
        const auto it = words.find(address);
        return it == words.end() ? 0 : it->second;
    }
};

SimState ReadSimState(const std::string& path);

// The exchange log's lines, and just the "LETTER B1 B2" part of the frame lines.
std::vector<std::string> ReadLines(const std::string& path);
std::vector<std::string> LoggedFrames(const std::string& logPath);

}  // namespace torv::test
