#include "tests/support/sim_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <stdexcept>
#include <string_view>

#include "engine/write_journal.h"
#include "link/port_names.h"

extern char** environ;

namespace torv::test {
namespace {

constexpr int kPumpSliceMs = 50;
constexpr int kStartTimeoutMs = 10000;  // a torvsim that hangs before printing its path fails the test

std::vector<char*> ArgumentVector(const std::string& program, const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    return argv;
}

// The process's environment with `extra` ("NAME=value") in place of the variables it names.
std::vector<char*> EnvironmentVector(const std::vector<std::string>& extra) {
    const auto replaced = [&extra](std::string_view entry) {
        return std::any_of(extra.begin(), extra.end(), [entry](const std::string& e) {
            const std::size_t equals = e.find('=');
            return entry.substr(0, equals + 1) == std::string_view(e).substr(0, equals + 1);
        });
    };
    std::vector<char*> env;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (!replaced(*entry)) {
            env.push_back(*entry);
        }
    }
    for (const std::string& entry : extra) {
        env.push_back(const_cast<char*>(entry.c_str()));
    }
    env.push_back(nullptr);
    return env;
}

}  // namespace

SimProcess::SimProcess(const std::vector<std::string>& arguments) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        throw std::runtime_error("pipe failed");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    const std::string program = TORVSIM_PATH;
    auto argv = ArgumentVector(program, arguments);
    const int spawned = posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned != 0) {
        close(pipeFds[0]);
        throw std::runtime_error("cannot start torvsim");
    }
    // The device path is the first line, and nothing more comes on stdout; none when the simulator died.
    pollfd started{pipeFds[0], POLLIN, 0};
    FILE* out = fdopen(pipeFds[0], "r");
    char* line = nullptr;
    std::size_t size = 0;
    if (poll(&started, 1, kStartTimeoutMs) > 0 && getline(&line, &size, out) > 0) {
        m_devicePath.assign(line, std::strcspn(line, "\n"));
    }
    std::free(line);
    std::fclose(out);
    if (m_devicePath.empty()) {
        stop();
        throw std::runtime_error("torvsim printed no device path");
    }
    // A new sensor on a pseudo-terminal an earlier test used: no write to it is unfinished.
    ClearWriteNote(CanonicalDevicePath(m_devicePath));
}

SimProcess::~SimProcess() {
    stop();
}

void SimProcess::stop() {
    if (m_pid <= 0) {
        return;
    }
    kill(m_pid, SIGTERM);
    int status = 0;
    waitpid(m_pid, &status, 0);
    m_pid = -1;
}

RunningProgram::RunningProgram(const std::string& program, const std::vector<std::string>& arguments,
                               const std::string& terminalPath, const std::vector<std::string>& environment) {
    int outPipe[2], errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0) {
        throw std::runtime_error("pipe failed");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // A session of its own, whose controlling terminal is the given one (opened first in the new
    // session) or none: questions on /dev/tty then reach the test, never the terminal it runs in.
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO,
                                     terminalPath.empty() ? "/dev/null" : terminalPath.c_str(), O_RDWR, 0);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
    for (int fd : {outPipe[0], errPipe[0]}) {
        posix_spawn_file_actions_addclose(&actions, fd);
    }
    auto argv = ArgumentVector(program, arguments);
    auto env = EnvironmentVector(environment);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    const int spawned = posix_spawn(&m_pid, program.c_str(), &actions, &attributes, argv.data(), env.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    close(outPipe[1]);
    close(errPipe[1]);
    if (spawned != 0) {
        throw std::runtime_error("cannot start " + program);
    }
    m_fds = {outPipe[0], errPipe[0]};
}

RunningProgram::~RunningProgram() {
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        finish();
    }
}

bool RunningProgram::pump(int timeoutMs) {
    std::array<pollfd, 2> fds{pollfd{m_fds[0], POLLIN, 0}, pollfd{m_fds[1], POLLIN, 0}};
    std::array<std::string*, 2> sinks{&m_result.out, &m_result.err};
    if (poll(fds.data(), fds.size(), timeoutMs) <= 0) {
        return m_fds[0] >= 0 || m_fds[1] >= 0;
    }
    for (std::size_t i = 0; i < fds.size(); ++i) {
        if (fds[i].fd < 0 || fds[i].revents == 0) {
            continue;
        }
        char buffer[4096];
        const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
        if (n <= 0) {
            close(fds[i].fd);
            m_fds[i] = -1;
        } else {
            sinks[i]->append(buffer, static_cast<std::size_t>(n));
        }
    }
    return m_fds[0] >= 0 || m_fds[1] >= 0;
}

bool RunningProgram::waitForError(std::string_view text, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (m_result.err.find(text) == std::string::npos) {
        if (std::chrono::steady_clock::now() >= deadline || !pump(kPumpSliceMs)) {
            return m_result.err.find(text) != std::string::npos;
        }
    }
    return true;
}

void RunningProgram::signal(int number) {
    kill(m_pid, number);
}

ProgramResult RunningProgram::finish() {
    while (pump(-1)) {
    }
    int status = 0;
    waitpid(m_pid, &status, 0);
    m_pid = -1;
    m_result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return m_result;
}

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::vector<std::string>& environment) {
    return RunningProgram(program, arguments, {}, environment).finish();
}

ProgramResult RunTorvctl(const std::vector<std::string>& arguments,
                         const std::vector<std::string>& environment) {
    return RunProgram(TORVCTL_PATH, arguments, environment);
}

std::vector<std::string> OutputLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

}  // namespace torv::test
