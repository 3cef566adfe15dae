#pragma once
// What every torvctl command shares: the global options, and the command chosen on the command line.

#include <functional>
#include <string>

#include "cli/exit_codes.h"

namespace torv::cli {

enum class Confirm { kAsk, kYes, kNo };

struct GlobalOptions {
    std::string port = "COM1";  // COMn, a device path or rfc2217://HOST:PORT
    int baudRate = 57600;
    Confirm confirm = Confirm::kAsk;
    bool trace = false;
    bool quiet = false;  // no success texts
    bool json = false;   // facts and failures as JSON (cli/json_output.h)
};

struct CliContext {
    GlobalOptions options;
    std::function<int()> run;  // set by the chosen command's parse callback
};

// Port number and baud index from the global options; prints the problem and returns false when
// they name no port or no rate. A device path is tied to a port number of its own. Says, once, when
// the last write to the sensor there did not finish.
struct LinkTarget {
    int port = 0;
    int baudIndex = 0;
};
bool ResolveLinkTarget(const GlobalOptions& options, LinkTarget& target);
// Says on stderr, once per run of torvctl, that the last write to the sensor on `port` did not finish,
// with the command that restores it.
void WarnOfUnfinishedWrite(int port);

// Why a port name (COMn, a device path, or rfc2217://HOST:PORT) names no port; empty when it names one.
std::string PortNameProblem(const std::string& name);
// n for "COMn", 0 for a device path or a network port.
int ComPortNumberOf(const std::string& name);
// Why a rate is not one of the sensor's; empty when it is one.
std::string BaudRateProblem(int rate);

// Whether two names reach the same file (links followed); names of files still to come compare as
// absolute paths.
bool SameFile(const std::string& a, const std::string& b);

// A name as given on the command line, without one trailing extension of the kind ("bank.torv" and
// "bank" both name the parameter file bank.torv).
std::string CommandBaseName(const std::string& name, int fileKind);
// The file a name given on the command line names: the base name plus the kind's extension. A name
// that names a device or a pipe (/dev/stdin, <(...)) is taken as it stands, and `-` is standard
// input. Empty when standard input could not be kept.
std::string CommandFileName(const std::string& name, int fileKind);
// The file's name as output shows it: `-` for standard input, else CommandFileName's.
std::string CommandFileLabel(const std::string& name, int fileKind);

}  // namespace torv::cli
