#include "tests/support/sim_files.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace torv::test {

SimState ReadSimState(const std::string& path) {
    SimState state;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string kind;
        fields >> kind;
        int a = 0;
        int b = 0;
        if (kind == "rate") {
            fields >> state.rate;
        } else if (kind == "version") {
            fields >> state.version;
        } else if (kind == "word" && fields >> a >> b) {
            state.words[a] = b;
        } else if (kind == "calendar" && fields >> a >> b && a >= 0 && a < 16) {
            state.calendar[static_cast<std::size_t>(a)] = b;
        } else if (kind == "key" && fields >> a) {
            state.keys.push_back(a);
        }
    }
    return state;
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> LoggedFrames(const std::string& logPath) {
    std::vector<std::string> frames;
    for (const LoggedExchange& e : LoggedExchanges(logPath)) {
        frames.push_back(FrameText(e.letter, e.b1, e.b2));
    }
    return frames;
}

std::string FrameText(char letter, int b1, int b2) {
    char text[16];
    std::snprintf(text, sizeof text, "%c %02X %02X", letter, b1 & 0xFF, b2 & 0xFF);
    return text;
}

std::vector<LoggedExchange> LoggedExchanges(const std::string& logPath) {
    std::vector<LoggedExchange> exchanges;
    for (const std::string& line : ReadLines(logPath)) {
        std::istringstream fields(line);
        LoggedExchange e;
        std::string letter;
        if (!(fields >> e.number >> letter >> std::hex >> e.b1 >> e.b2) || letter.size() != 1) {
            continue;  // a NAK or garbage line
        }
        e.letter = letter[0];
        for (std::string note; fields >> note;) {
            if (note.rfind("fault=", 0) == 0) {
                e.fault = note.substr(6);
            }
        }
        exchanges.push_back(e);
    }
    return exchanges;
}

}  // namespace torv::test
