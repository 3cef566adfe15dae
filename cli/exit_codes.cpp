#include "cli/exit_codes.h"

#include "resources/strings.h"

namespace torv::cli {

ExitCode ExitCodeOfFailure(std::string_view text) {
    switch (static_cast<StringId>(NumberOfText(text))) {
        case StringId::kOpenPortFailed:
        case StringId::kBaudRateInvalid:
            return kExitPort;
        case StringId::kSetupFileWriteFailed:
        case StringId::kCreateFileFailed:
        case StringId::kParameterFileNotFound:
        case StringId::kParameterFileInvalid:
        case StringId::kDictionaryFileInvalid:
        case StringId::kDictionaryFileNotFound:
        case StringId::kNgDataFileNotFound:
        case StringId::kSpecifyFileName:
            return kExitFile;
        default:
            return kExitFailed;
    }
}

const char* const kExitCodesHelp =
    "Exit codes:\n"
    "  0  done\n"
    "  1  the sensor or the line failed (no reply, an invalid reply, a bad sum, nothing to read)\n"
    "  2  usage error: nothing was done\n"
    "  3  aborted: a question answered No, or Ctrl-C\n"
    "  4  the port could not be opened (missing, busy, no permission)\n"
    "  5  a file could not be read or written, or is invalid\n"
    "  6  --verify or params diff found words that differ\n"
    "  7  fleet: some sensors failed, the others did their work (1: all failed)\n"
    "  128+n  stopped by signal n (SIGTERM 143, SIGHUP 129)\n";

}  // namespace torv::cli
