#include "cli/device_operation.h"

#include <iostream>

#include "cli/success_text.h"
#include "cli/terminal_host.h"
#include "engine/write_journal.h"
#include "operations/device_operations.h"
#include "resources/strings.h"

namespace torv::cli {

int RunDeviceOperation(const GlobalOptions& options, int operationCode, const std::string& fileName,
                       OperationState& state) {
    LinkTarget target;
    if (!ResolveLinkTarget(options, target)) {
        return kExitUsage;
    }
    return ReportOutcome(
        RunOperationOn(target, options.confirm, *FindOperation(operationCode), fileName, state));
}

OperationReport RunOperationOn(const LinkTarget& target, Confirm confirm, const OperationInfo& operation,
                               const std::string& fileName, OperationState& state) {
    state.OperationCode = operation.code;
    state.ComPortNumber = target.port;
    state.BaudIndex = target.baudIndex;
    state.OperationFileName = fileName;
    TerminalHost host(confirm, state);
    return RunOperation(state, host, operation);
}

int ReportOutcome(const OperationReport& report) {
    switch (report.outcome) {
        case OperationOutcome::kCompleted:
            SaySuccess(report.text);
            return kExitOk;
        case OperationOutcome::kAborted:
            std::cerr << report.text << '\n';
            return kExitAborted;
        case OperationOutcome::kOpenFailed:
        case OperationOutcome::kFailed:
            break;
    }
    std::cerr << report.text << '\n';
    if (!report.detail.empty()) {
        std::cerr << report.detail << '\n';
    }
    return ExitCodeOfFailure(report.text);
}

void PrintUnstoredNotice(const OperationState& state, const std::string& restoreFile) {
    UnfinishedWrite write = WriteOfRun(state);
    if (!restoreFile.empty()) {
        OperationState restoring = state;
        restoring.OperationFilePath = restoreFile;
        write.file = WriteOfRun(restoring).file;
    }
    const char* what = write.dictionary ? "expansion dictionary" : "parameter set";
    std::cerr << "torvctl: the sensor now holds a partly written " << what
              << " that it has not stored (no store command was sent).\n"
              << "To restore it, write a complete " << (write.dictionary ? "dictionary" : "parameter")
              << " file: " << RestoreCommand(write)
              << (restoreFile.empty() ? " (or a file read from the sensor before)" : "") << '\n';
}

bool Confirmed(const GlobalOptions& options, OperationState& state, std::string_view question) {
    TerminalHost host(options.confirm, state);
    if (host.ask(Caption::kWarningBang, Icon::kExclamation, question, Answer::kYes)) {
        return true;
    }
    std::cerr << Text(StringId::kAborted) << '\n';
    return false;
}

}  // namespace torv::cli
