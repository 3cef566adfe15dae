#pragma once
// torvctl --json: the facts a command prints go to stdout as JSON and nothing else does; a failure
// goes to stderr as one JSON object ({"error": {...}}) instead of its lines of text. A command that
// prints no facts prints {"result": "ok", "message": ...} on success. Field names are stable: scripts
// and the manual page rely on them.

#include <nlohmann/json_fwd.hpp>
#include <string>

namespace torv::cli {

using Json = nlohmann::ordered_json;  // fields in the order they are set, as documented

// Whether this run was asked for JSON.
bool JsonOutput();

// Starts a JSON run: from here on, text printed on stdout and stderr is held back until
// FinishJsonRun says where it goes.
void StartJsonRun();
// Prints one JSON value on a line of its own on stdout.
void PrintJson(const Json& value);
// A notice that cannot wait for the run's end (a trend alarm while the monitor runs): on stderr at
// once, as text, also in a JSON run.
void PrintNotice(const std::string& line);
// The success text of a JSON run, given out in its result object.
void NoteJsonSuccess(std::string text);
// The port and the file a failure is about, named in its error object.
void NoteJsonPort(std::string port);
void NoteJsonFile(std::string file);
// Ends a JSON run with its exit code: a failure's text becomes its error object on stderr; on
// success, the result object unless facts were printed, and any notices held back go to stderr as
// text. Returns the exit code.
int FinishJsonRun(int exitCode);

}  // namespace torv::cli
