#include "cli/terminal_host.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "cli/console/console.h"
#include "cli/interrupts.h"

namespace torv::cli {
namespace {

constexpr int kBarWidth = 30;

// Checks for a stop signal this often while waiting for an answer: a signal that comes just before
// the wait begins interrupts no read, so the wait must look for itself.
constexpr int kAnswerPollMs = 100;

// One line typed on the terminal; false at the end of input or when a stop signal came.
bool ReadAnswerLine(std::string& line) {
    for (;;) {
        if (Interrupted()) {
            return false;
        }
        char c = 0;
        const ConsoleRead read = ReadQuestionTerminalByte(c, kAnswerPollMs);
        if (read == ConsoleRead::kNothingYet) {
            continue;
        }
        if (read == ConsoleRead::kEnd) {
            return false;
        }
        if (c == '\n') {
            return true;
        }
        line += c;
    }
}

// A terminal that TERM calls dumb knows no escape sequences: the bar is then redrawn after a carriage
// return, padded with spaces instead of erased.
bool TerminalTakesEscapes() {
    const char* term = std::getenv("TERM");
    return term == nullptr || std::string_view(term) != "dumb";
}

bool StartsWithYes(const std::string& line) {
    return !line.empty() && (line[0] == 'y' || line[0] == 'Y');
}

}  // namespace

TerminalHost::TerminalHost(Confirm confirm, OperationState& state)
    : m_confirm(confirm), m_state(state), m_progressOnTerminal(StandardErrorIsTerminal()) {}

TerminalHost::~TerminalHost() {
    finishProgress();
}

// Every question the tool asks would overwrite a file or the sensor's memory, so on the terminal a bare
// Enter answers No, whatever the desktop tool's default button is.
bool TerminalHost::ask(Caption, Icon, std::string_view text, Answer) {
    if (Interrupted()) {
        return false;
    }
    if (m_confirm != Confirm::kAsk) {
        return m_confirm == Confirm::kYes;
    }
    finishProgress();
    if (!QuestionTerminalOpen()) {
        std::cerr << "torvctl: declined \"" << text << "\" (no terminal to ask; give --yes to agree)\n";
        return false;
    }
    std::cerr << std::flush;
    WriteToQuestionTerminal(std::string(text) + " [y/N] ");
    std::string line;
    if (!ReadAnswerLine(line)) {
        WriteToQuestionTerminal("\n");
        return false;
    }
    return StartsWithYes(line);
}

void TerminalHost::show(Caption caption, Icon, std::string_view text) {
    finishProgress();
    std::cerr << CaptionText(caption) << ": " << text << '\n';
}

void TerminalHost::setStatus(std::string_view text) {
    m_status = text;
    drawProgress();
}

void TerminalHost::setProgress(int position) {
    m_position = position;
    drawProgress();
}

void TerminalHost::pumpMessages() {
    if (Interrupted()) {
        m_state.AbortRequest = true;
    }
}

void TerminalHost::drawProgress() {
    if (!m_progressOnTerminal) {
        return;
    }
    const int filled = m_position * kBarWidth / kProgressMax;
    DrawProgressLine("[" + std::string(static_cast<std::size_t>(filled), '#') +
                         std::string(static_cast<std::size_t>(kBarWidth - filled), ' ') + "] " +
                         std::to_string(m_position * 100 / kProgressMax) + "% " + m_status,
                     m_progressWidth);
    m_progressShown = true;
}

void TerminalHost::finishProgress() {
    if (m_progressShown) {
        std::fputc('\n', stderr);
        m_progressShown = false;
        m_progressWidth = 0;
    }
}

// Through the C stream, beside std::cerr: a --json run holds back std::cerr's text, not the bar.
void DrawProgressLine(const std::string& line, std::size_t& previousWidth) {
    std::string drawn = "\r" + line;
    if (TerminalTakesEscapes()) {
        drawn += "\x1b[K";
    } else if (line.size() < previousWidth) {
        drawn += std::string(previousWidth - line.size(), ' ');
    }
    previousWidth = line.size();
    std::cerr << std::flush;
    std::fputs(drawn.c_str(), stderr);
    std::fflush(stderr);
}

}  // namespace torv::cli
