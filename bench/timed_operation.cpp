#include "bench/timed_operation.h"

#include <chrono>
#include <cstdio>

#include "operations/device_operations.h"
#include "tests/support/scripted_host.h"

namespace torv::bench {

TimedOperation RunTimedOperation(int port, int code, int baudIndex, const std::string& name,
                                 int ngDataNumber) {
    OperationState state;
    state.OperationCode = code;
    state.ComPortNumber = port;
    state.BaudIndex = baudIndex;
    state.OperationFileName = name;
    state.NgDataNumber = ngDataNumber;
    test::ScriptedHost host;
    host.answers = {true, true, true};
    const auto start = std::chrono::steady_clock::now();
    const OperationReport report = RunOperationOfState(state, host);
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (report.outcome != OperationOutcome::kCompleted) {
        std::fprintf(stderr, "%s\n", report.text.c_str());
        return {false, elapsed};
    }
    return {true, elapsed};
}

double WireSeconds(double bytes, int rate) {
    return bytes * kBitsPerByte / rate;
}

}  // namespace torv::bench
