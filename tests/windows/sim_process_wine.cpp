// The test programs of the Windows build run under wine on the Linux build machine, and torvsim is a
// Linux program (a pseudo-terminal server): here SimProcess starts the Linux build's torvsim through
// wine's own way of starting Unix programs, and the tool opens its pseudo-terminal through wine's Z:
// drive, where any terminal is a serial port to wine (SetCommState, SetCommTimeouts and ReadFile on a
// real terminal, as with a COM port linked in the wine prefix).
//
// Wine gives a Unix program it starts no standard handles, so a small shell script sends torvsim's
// output to files in a folder of its own, and notes its process id and its end there. The script also
// stops torvsim when wine is gone, so that no simulator outlives a test program that crashed.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cctype>
#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "engine/write_journal.h"
#include "link/port_names.h"
#include "tests/support/sim_process.h"
#include "tests/support/temp_dir.h"

namespace torv::test {
namespace {

constexpr auto kStartTimeout = std::chrono::seconds(10);  // a torvsim that prints no path fails the test
constexpr auto kStopTimeout = std::chrono::seconds(10);
constexpr auto kPollSlice = std::chrono::milliseconds(20);

// wine_get_unix_file_name: wine's kernel32 maps a Windows path to the Unix one (a Windows system has
// no such function, and no torvsim either).
std::string UnixPathOf(const std::string& windowsPath) {
    using Convert = char*(CDECL*)(LPCWSTR);
    static const auto convert = reinterpret_cast<Convert>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (convert == nullptr) {
        throw std::runtime_error("torvsim runs only when the Windows tests run under wine");
    }
    const int length = MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide.data(), length);
    char* unixPath = convert(wide.c_str());
    if (unixPath == nullptr) {
        throw std::runtime_error("wine knows no Unix path for " + windowsPath);
    }
    std::string result(unixPath);
    HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
}

// "C:\..." or "C:/...": a path of this side that torvsim must be given as a Unix path.
bool IsWindowsAbsolutePath(const std::string& text) {
    return text.size() > 2 && std::isalpha(static_cast<unsigned char>(text[0])) && text[1] == ':' &&
           (text[2] == '\\' || text[2] == '/');
}

std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

std::string FirstLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    return std::getline(in, line) && in ? line : std::string();
}

// Starts a Unix program through wine; it runs on by itself (wine keeps no handle that could wait for it).
void StartUnixProgram(const std::string& program, const std::string& argument) {
    std::string commandLine = "\"" + program + "\" \"" + argument + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        throw std::runtime_error("wine cannot start " + program + " (error " +
                                 std::to_string(GetLastError()) + ")");
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

// The wineserver's Unix process id. Wine opens files in its server, so /proc/self read from here is the
// server's: it ends a few seconds after the last Windows program of the prefix ends, a test program
// that crashed included.
std::string WineServerProcessId() {
    std::ifstream in("Z:\\proc\\self\\stat");
    std::string pid;
    in >> pid;
    return pid;
}

}  // namespace

SimProcess::SimProcess(const std::vector<std::string>& arguments)
    : m_wineFolder(std::make_unique<TempDir>()) {
    const auto note = [this](const char* name) { return UnixPathOf(m_wineFolder->file(name)); };
    std::ostringstream command;
    command << ShellQuoted(TORVSIM_PATH);
    for (const std::string& argument : arguments) {
        command << ' ' << ShellQuoted(IsWindowsAbsolutePath(argument) ? UnixPathOf(argument) : argument);
    }
    // Once wine is gone, so is the simulator. The exit note is written last, once torvsim has saved
    // its state and ended.
    const std::string server = WineServerProcessId();
    std::ofstream script(m_wineFolder->file("run.sh"), std::ios::binary);
    script << "server=" << ShellQuoted(server.empty() ? "1" : server) << "\n"
           << command.str() << " <'/dev/null' >" << ShellQuoted(note("out")) << " 2>"
           << ShellQuoted(note("err")) << " &\n"
           << "sim=$!\n"
           << "echo $sim >" << ShellQuoted(note("pid.tmp")) << " && mv " << ShellQuoted(note("pid.tmp"))
           << ' ' << ShellQuoted(note("pid")) << "\n"
           << "while kill -0 $sim 2>/dev/null; do\n"
           << "    kill -0 $server 2>/dev/null || kill $sim\n"
           << "    sleep 0.2\n"
           << "done\n"
           << "wait $sim\n"
           << "echo $? >" << ShellQuoted(note("exit.tmp")) << " && mv " << ShellQuoted(note("exit.tmp"))
           << ' ' << ShellQuoted(note("exit")) << "\n";
    script.close();
    if (!script) {
        throw std::runtime_error("cannot write the script that starts torvsim");
    }
    StartUnixProgram("/bin/sh", note("run.sh"));

    // The device path is torvsim's first line; none when it died first.
    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    std::string terminal;
    while ((terminal = FirstLine(m_wineFolder->file("out"))).empty() &&
           !std::filesystem::exists(m_wineFolder->file("exit")) &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(kPollSlice);
    }
    const std::string pid = FirstLine(m_wineFolder->file("pid"));
    m_pid = pid.empty() ? -1 : std::stoi(pid);
    if (terminal.empty()) {
        stop();
        throw std::runtime_error("torvsim printed no device path");
    }
    m_devicePath = "Z:" + terminal;
    for (char& c : m_devicePath) {
        c = c == '/' ? '\\' : c;
    }
    // A new sensor on a pseudo-terminal an earlier test used: no write to it is unfinished.
    ClearWriteNote(CanonicalDevicePath(m_devicePath));
}

SimProcess::~SimProcess() {
    stop();
}

void SimProcess::stop() {
    if (!m_wineFolder) {
        return;
    }
    if (m_pid > 0) {
        StartUnixProgram("/bin/kill", std::to_string(m_pid));
        const auto deadline = std::chrono::steady_clock::now() + kStopTimeout;
        while (!std::filesystem::exists(m_wineFolder->file("exit")) &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(kPollSlice);
        }
        m_pid = -1;
    }
    m_wineFolder.reset();
}

namespace {

// One argument of a Windows command line, quoted as the C runtime's parser reads it back.
std::string CommandLineArgument(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) {
        return argument;
    }
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

// A handle the child can write its output to: a file of the run folder, inheritable.
HANDLE OutputFile(const std::filesystem::path& path) {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    return CreateFileA(path.string().c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

// A Windows program (torvctl.exe) to its end, its output through files so that neither stream can
// fill up and block it; `environment` entries are set for it and restored afterwards.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::vector<std::string>& environment) {
    const TempDir folder;
    std::string commandLine = CommandLineArgument(program);
    for (const std::string& argument : arguments) {
        commandLine += ' ' + CommandLineArgument(argument);
    }
    std::vector<std::pair<std::string, std::string>> previous;
    for (const std::string& entry : environment) {
        const std::string name = entry.substr(0, entry.find('='));
        char value[32767];
        const DWORD length = GetEnvironmentVariableA(name.c_str(), value, sizeof value);
        previous.emplace_back(name, length > 0 ? std::string(value, length) : std::string());
        SetEnvironmentVariableA(name.c_str(), entry.substr(name.size() + 1).c_str());
    }
    HANDLE out = OutputFile(folder.file("out"));
    HANDLE err = OutputFile(folder.file("err"));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = INVALID_HANDLE_VALUE;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    const bool started = CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                                        nullptr, nullptr, &startup, &process) != 0;
    CloseHandle(out);
    CloseHandle(err);
    for (const auto& [name, value] : previous) {
        SetEnvironmentVariableA(name.c_str(), value.empty() ? nullptr : value.c_str());
    }
    if (!started) {
        throw std::runtime_error("cannot start " + program);
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    ProgramResult result;
    result.exitCode = static_cast<int>(exitCode);
    result.out = ReadFileBytes(folder.file("out"));
    result.err = ReadFileBytes(folder.file("err"));
    return result;
}

ProgramResult RunTorvctl(const std::vector<std::string>& arguments,
                         const std::vector<std::string>& environment) {
    return RunProgram(TORVCTL_PATH, arguments, environment);
}

}  // namespace torv::test
