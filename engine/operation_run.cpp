#include "engine/operation_run.h"

#include "engine/write_journal.h"
#include "files/file_status.h"
#include "link/failure_details.h"
#include "link/frames.h"

namespace torv {

std::tm SystemLocalTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return local;
}

OperationRun::OperationRun(OperationState& state, OperationHost& host, LocalTimeSource localTime)
    : m_state(state), m_host(host), m_localTime(std::move(localTime)) {}

void OperationRun::fail(StringId message, std::string detail) {
    fail(std::string(Text(message)), std::move(detail));
}

void OperationRun::fail(std::string message, std::string detail) {
    // A conclusion drawn from the replies holds only if they were the sensor's own: when the line
    // turns out to be out of step, that is the failure.
    if (!confirmInStep()) {
        return;
    }
    m_state.LastErrorText = std::move(message);
    m_state.LastErrorDetail = std::move(detail);
    m_failed = true;
}

bool OperationRun::agreeToReplace(const std::string& path, StringId question) {
    return !FileExists(path) || agreeTo(question, Answer::kYes);
}

bool OperationRun::agreeTo(StringId question, Answer defaultAnswer) {
    if (m_host.ask(Caption::kWarning, Icon::kExclamation, Text(question), defaultAnswer)) {
        return true;
    }
    m_state.AbortRequest = true;
    return false;
}

bool OperationRun::fileOpened(const AtomicFileWriter& file) {
    if (!file.isOpen()) {
        fail(StringId::kCreateFileFailed, file.failureText());
        return false;
    }
    return true;
}

bool OperationRun::fileCommitted(AtomicFileWriter& file) {
    if (!file.commit()) {
        fail(StringId::kCreateFileFailed, file.failureText());
        return false;
    }
    return true;
}

void OperationRun::failWithLastError() {
    m_state.LastErrorDetail = ReplyFailureDetail(port(), m_state.BaudIndex, m_state.LastErrorText);
    m_failed = true;
}

bool OperationRun::runBlocks(int count, const std::function<bool(int)>& block,
                             const std::function<int(int)>& progressAfter) {
    for (int i = 0; i < count; ++i) {
        if (!block(i) || stopRequested()) {
            return false;
        }
        if (progressAfter) {
            setProgress(progressAfter(i));
        }
        pumpMessages();
    }
    return !stopRequested();
}

bool OperationRun::failOutOfStep(int strayBytes) {
    m_state.LastErrorDetail = LateReplyDetail(port(), m_state.BaudIndex, strayBytes);
    m_failed = true;
    return false;
}

bool OperationRun::expectInStep() {
    m_confirmedInStep = false;
    const int stray = ExpectNothingWaiting(port(), m_state.LastErrorText);
    return stray == 0 || failOutOfStep(stray);
}

bool OperationRun::confirmInStep() {
    if (m_confirmedInStep) {
        return true;
    }
    m_confirmedInStep = true;
    const int stray = ExpectNothingMore(port(), m_state.BaudIndex, m_state.LastErrorText);
    return stray == 0 || failOutOfStep(stray);
}

bool OperationRun::exchange(std::uint8_t command) {
    return exchangeInto(command, m_state.CommandBuffer);
}

bool OperationRun::exchangeInto(std::uint8_t command, std::span<std::uint8_t> destination) {
    if (m_failed || !expectInStep()) {
        return false;
    }
    SendCommand(port(), command, m_state.CommandBuffer.data(), 2);
    if (command == kStoreCommand) {
        m_state.UnstoredWords = false;
    }
    if (ReceiveReply(port(), destination.data(), static_cast<int>(destination.size()), kReplyTimeoutMs,
                     m_state.LastErrorText) == 0) {
        failWithLastError();
        return false;
    }
    return true;
}

bool OperationRun::exchange(std::uint8_t command, std::uint8_t byte1, std::uint8_t byte2) {
    m_state.CommandBuffer = {byte1, byte2};
    return exchange(command);
}

bool OperationRun::readWord(int address, std::uint16_t& value) {
    if (!exchange(kReadWordCommand, static_cast<std::uint8_t>(address & 0xFF),
                  static_cast<std::uint8_t>((address >> 8) & 0xFF))) {
        return false;
    }
    value = static_cast<std::uint16_t>(m_state.CommandBuffer[0] | (m_state.CommandBuffer[1] << 8));
    return true;
}

bool OperationRun::readWord(int address) {
    std::uint16_t ignored = 0;
    return readWord(address, ignored);
}

bool OperationRun::writeWord(std::int32_t value) {
    const auto word = static_cast<std::uint32_t>(value);
    if (!m_state.UnstoredWords) {
        // Noted before the first word goes out, so that a run killed from here on leaves the note.
        m_writeNote = WriteOfRun(m_state);
        NoteWriteStarted(*m_writeNote);
    }
    m_state.UnstoredWords = true;
    return exchange(kWriteWordCommand, static_cast<std::uint8_t>(word & 0xFF),
                    static_cast<std::uint8_t>((word >> 8) & 0xFF));
}

}  // namespace torv
