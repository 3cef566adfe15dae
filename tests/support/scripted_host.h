#pragma once
// An OperationHost for tests: answers questions from a script, and records what the operation asked,
// showed, and how its progress and status moved.

#include <deque>
#include <string>
#include <vector>

#include "engine/operation_host.h"
#include "engine/operation_state.h"

namespace torv::test {

class ScriptedHost : public OperationHost {
  public:
    std::deque<bool> answers;            // the next question's answer; No when the script is empty
    std::vector<std::string> questions;  // every question asked
    std::vector<std::string> messages;   // every message shown
    std::vector<std::string> statuses;
    std::vector<int> progress;
    int pumps = 0;  // since the last cancelAtPump

    // Presses Cancel (sets `state`'s AbortRequest) in pumping number `pump`; 0: never.
    void cancelAtPump(OperationState& state, int pump) {
        m_cancelled = &state;
        m_cancelPump = pump;
        pumps = 0;
    }

    bool ask(Caption, Icon, std::string_view text, Answer) override {
        questions.emplace_back(text);
        if (answers.empty()) {
            return false;
        }
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void show(Caption, Icon, std::string_view text) override { messages.emplace_back(text); }
    void setStatus(std::string_view text) override { statuses.emplace_back(text); }
    void setProgress(int position) override { progress.push_back(position); }
    void pumpMessages() override {
        if (++pumps == m_cancelPump && m_cancelled != nullptr) {
            m_cancelled->AbortRequest = true;
        }
    }

  private:
    OperationState* m_cancelled = nullptr;
    int m_cancelPump = 0;
};

}  // namespace torv::test
