#pragma once
// torvctl's side of an operation: questions on the terminal (or answered by --yes / --no), messages
// and a progress bar on stderr, and a stop signal (cli/interrupts.h) as the Cancel button.

#include <string>

#include "cli/cli_context.h"
#include "engine/operation_host.h"
#include "engine/operation_state.h"

namespace torv::cli {

// Redraws the progress line on stderr over the last one (`previousWidth` characters, updated).
void DrawProgressLine(const std::string& line, std::size_t& previousWidth);

class TerminalHost : public OperationHost {
  public:
    TerminalHost(Confirm confirm, OperationState& state);
    ~TerminalHost() override;
    TerminalHost(const TerminalHost&) = delete;
    TerminalHost& operator=(const TerminalHost&) = delete;

    bool ask(Caption caption, Icon icon, std::string_view text, Answer defaultAnswer) override;
    void show(Caption caption, Icon icon, std::string_view text) override;
    void setStatus(std::string_view text) override;
    void setProgress(int position) override;
    void pumpMessages() override;

    // Ends the progress line so that what follows starts on a line of its own.
    void finishProgress();

  private:
    void drawProgress();

    Confirm m_confirm;
    OperationState& m_state;
    bool m_progressOnTerminal;
    bool m_progressShown = false;
    std::size_t m_progressWidth = 0;
    std::string m_status;
    int m_position = 0;
};

}  // namespace torv::cli
