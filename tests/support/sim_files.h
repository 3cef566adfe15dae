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

// One exchange line of the log: "12 W 34 12 fault=nak".
struct LoggedExchange {
    int number = 0;
    char letter = 0;
    int b1 = 0;
    int b2 = 0;
    std::string fault;  // empty when none shaped the reply

    // Silence and a hang-up leave the command undone; every other fault lets it take effect.
    bool tookEffect() const { return fault != "silence" && fault != "hangup"; }
    int word() const { return b1 | (b2 << 8); }
};

std::vector<LoggedExchange> LoggedExchanges(const std::string& logPath);

// The exchange log's lines, and just the "LETTER B1 B2" part of the frame lines.
std::vector<std::string> ReadLines(const std::string& path);
std::vector<std::string> LoggedFrames(const std::string& logPath);
// A frame as the log shows it: "V 1D F9".
std::string FrameText(char letter, int b1, int b2);

}  // namespace torv::test
