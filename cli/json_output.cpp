#include "cli/json_output.h"

#include <iostream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <vector>

#include "cli/exit_codes.h"
#include "resources/strings.h"

namespace torv::cli {
namespace {

struct JsonRun {
    bool active = false;
    bool factsPrinted = false;
    std::string successText;
    std::string port;
    std::string file;
    std::streambuf* realOut = nullptr;
    std::streambuf* realErr = nullptr;
    std::stringstream heldOut;  // text a command printed on stdout
    std::stringstream heldErr;  // its messages on stderr
};

JsonRun& Run() {
    static JsonRun run;
    return run;
}

std::vector<std::string> NonEmptyLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty()) {
            lines.push_back(line);
        }
    }
    return lines;
}

// A message box's line reads "Caption: text"; the number belongs to the text.
Json MessageNumberOf(const std::string& line) {
    if (const int number = NumberOfText(line); number != 0) {
        return number;
    }
    const std::size_t colon = line.find(": ");
    if (colon != std::string::npos) {
        if (const int number = NumberOfText(line.substr(colon + 2)); number != 0) {
            return number;
        }
    }
    return nullptr;
}

Json TextOrNull(const std::string& text) {
    return text.empty() ? Json(nullptr) : Json(text);
}

Json ErrorObject(int exitCode, const std::vector<std::string>& lines) {
    std::string detail;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        detail += (i > 1 ? "\n" : "") + lines[i];
    }
    const JsonRun& run = Run();
    Json error;
    error["exit"] = exitCode;
    error["message_number"] = lines.empty() ? Json(nullptr) : MessageNumberOf(lines.front());
    error["message"] = lines.empty() ? std::string() : lines.front();
    error["detail"] = detail;
    error["port"] = TextOrNull(run.port);
    error["file"] = TextOrNull(run.file);
    return Json{{"error", error}};
}

}  // namespace

bool JsonOutput() {
    return Run().active;
}

void StartJsonRun() {
    JsonRun& run = Run();
    run.active = true;
    run.realOut = std::cout.rdbuf(run.heldOut.rdbuf());
    run.realErr = std::cerr.rdbuf(run.heldErr.rdbuf());
}

void PrintJson(const Json& value) {
    JsonRun& run = Run();
    std::ostream out(run.realOut);
    // Text from the line or a file may hold any byte: never let one make the output unparsable.
    out << value.dump(-1, ' ', false, Json::error_handler_t::replace) << '\n' << std::flush;
    run.factsPrinted = true;
}

void PrintNotice(const std::string& line) {
    const JsonRun& run = Run();
    std::ostream err(run.active ? run.realErr : std::cerr.rdbuf());
    err << line << '\n' << std::flush;
}

void NoteJsonSuccess(std::string text) {
    Run().successText = std::move(text);
}

void NoteJsonPort(std::string port) {
    Run().port = std::move(port);
}

void NoteJsonFile(std::string file) {
    Run().file = std::move(file);
}

int FinishJsonRun(int exitCode) {
    JsonRun& run = Run();
    if (!run.active) {
        return exitCode;
    }
    std::cout.rdbuf(run.realOut);
    std::cerr.rdbuf(run.realErr);
    run.active = false;
    const std::string heldOut = run.heldOut.str();
    const std::string heldErr = run.heldErr.str();
    if (exitCode != kExitOk && (!heldErr.empty() || !run.factsPrinted)) {
        std::cerr << ErrorObject(exitCode, NonEmptyLines(heldErr + heldOut))
                         .dump(-1, ' ', false, Json::error_handler_t::replace)
                  << '\n';
        return exitCode;
    }
    if (exitCode == kExitOk && !run.factsPrinted) {
        PrintJson(Json{{"result", "ok"}, {"message", run.successText}});
    }
    std::cerr << heldErr << heldOut;
    return exitCode;
}

}  // namespace torv::cli
