#include "cli/png_file.h"

#include <iostream>
#include <string_view>

#include "cli/terminal_host.h"
#include "files/atomic_file.h"
#include "files/file_status.h"
#include "resources/strings.h"

namespace torv::cli {

int WritePngFile(const GlobalOptions& options, const std::string& pngPath,
                 const std::vector<std::uint8_t>& png) {
    OperationState state;
    TerminalHost host(options.confirm, state);
    if (FileExists(pngPath) &&
        !host.ask(Caption::kWarning, Icon::kExclamation, Text(StringId::kSameFileOverwrite), Answer::kYes)) {
        std::cerr << Text(StringId::kAborted) << '\n';
        return kExitAborted;
    }
    AtomicFileWriter file(pngPath);
    if (png.empty() || !file.isOpen()) {
        std::cerr << Text(StringId::kCreateFileFailed) << '\n'
                  << (png.empty() ? "torvctl: libpng could not encode the image" : file.failureText())
                  << '\n';
        return kExitFile;
    }
    file.write(std::string_view(reinterpret_cast<const char*>(png.data()), png.size()));
    if (!file.commit()) {
        std::cerr << Text(StringId::kCreateFileFailed) << '\n' << file.failureText() << '\n';
        return kExitFile;
    }
    return kExitOk;
}

}  // namespace torv::cli
