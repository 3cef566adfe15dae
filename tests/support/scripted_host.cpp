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

void ScriptedHost::pumpMessages() {
    if (onPump) {
        onPump();
    }
}

}  // namespace torv::test
