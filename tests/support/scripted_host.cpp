#include "tests/support/scripted_host.h"

namespace torv::test {

bool ScriptedHost::ask(Caption, Icon, std::string_view text, Answer) {
    questions.emplace_back(text);
    if (answers.empty()) {
        return false;
    }
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}

void ScriptedHost::cancelAtPump(OperationState& state, int pump) {
    m_cancelled = &state;
    m_cancelPump = pump;
    pumps = 0;
}

void ScriptedHost::pumpMessages() {
    if (++pumps == m_cancelPump && m_cancelled != nullptr) {
        m_cancelled->AbortRequest = true;
    }
}

}  // namespace torv::test
