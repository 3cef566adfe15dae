#include "cli/success_text.h"

#include <iostream>
#include <string>

#include "cli/json_output.h"

namespace torv::cli {
namespace {

bool g_quiet = false;  // set once, before the command runs

}  // namespace

void SetQuiet(bool quiet) {
    g_quiet = quiet;
}

void SaySuccess(std::string_view text) {
    if (JsonOutput()) {
        NoteJsonSuccess(std::string(text));
    } else if (!g_quiet) {
        std::cout << text << '\n';
    }
}

}  // namespace torv::cli
