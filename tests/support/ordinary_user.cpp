#include "tests/support/ordinary_user.h"

#include <sys/wait.h>
#include <unistd.h>

namespace torv::test {

bool AsOrdinaryUser(const std::function<bool()>& check) {
    if (geteuid() != 0) {
        return check();
    }
    constexpr uid_t kNobody = 65534;
    const pid_t child = fork();
    if (child == 0) {
        const bool dropped = setgid(kNobody) == 0 && setuid(kNobody) == 0;
        _exit(dropped && check() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace torv::test
