#pragma once
// One run of an operation body: the shared state, the person (host), the open port, and the run's
// failure flag. Bodies are written as a list of steps over these helpers.

#include <array>
#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "engine/operation_host.h"
#include "engine/operation_state.h"
#include "engine/write_journal.h"
#include "files/atomic_file.h"
#include "resources/strings.h"

namespace torv {

// The PC's local time; tests fix it.
using LocalTimeSource = std::function<std::tm()>;
std::tm SystemLocalTime();

class OperationRun {
  public:
    OperationRun(OperationState& state, OperationHost& host, LocalTimeSource localTime = SystemLocalTime);

    OperationState& state() { return m_state; }
    OperationHost& host() { return m_host; }
    int port() const { return m_state.ComPortNumber; }
    std::tm localTime() const { return m_localTime(); }

    bool failed() const { return m_failed; }
    // The write this run noted in the journal before its first word, if it wrote any.
    const std::optional<UnfinishedWrite>& writeNote() const { return m_writeNote; }
    // A failure with its message and the facts behind it; the first one ends the operation. A line
    // found out of step (confirmInStep) fails the run with that instead.
    void fail(StringId message, std::string detail = {});
    // A failure whose message is made for the case (a verification's list of words).
    void fail(std::string message, std::string detail);
    // Marks the failed reply whose text ReceiveReply left in LastErrorText, and adds the line's facts.
    void failWithLastError();
    // The question before an operation replaces (or adds to) a file that exists: true when `path` does
    // not exist or the user agrees; a No ends the run as aborted.
    bool agreeToReplace(const std::string& path, StringId question = StringId::kSameFileOverwrite);
    // A warning question before the operation goes on; a No ends the run as aborted.
    bool agreeTo(StringId question, Answer defaultAnswer);
    // False, with the run failed with the file-creation message and the reason, when the file could
    // not be opened, or could not take what the run read.
    bool fileOpened(const AtomicFileWriter& file);
    bool fileCommitted(AtomicFileWriter& file);
    // True once the operation must stop: it failed, or the user asked to stop.
    bool stopRequested() const { return m_failed || m_state.AbortRequest; }

    // Before a frame: false, with the run failed, when bytes no frame asked for are waiting.
    bool expectInStep();
    // After the last exchange, and before a file takes what the run read: false, with the run failed,
    // when bytes arrive within the line's quiet time. Checks once per exchange made.
    bool confirmInStep();

    // One exchange: the command with the two bytes now in CommandBuffer; the 2-byte reply lands in
    // CommandBuffer. False, with the failure flag set, when the line was out of step or the reply failed.
    bool exchange(std::uint8_t command);
    bool exchange(std::uint8_t command, std::uint8_t byte1, std::uint8_t byte2);
    // `R`: reads one word (and places the sensor's write position there).
    bool readWord(int address, std::uint16_t& value);
    bool readWord(int address);
    // `W`: writes one word at the write position (the value modulo 65536).
    bool writeWord(std::int32_t value);
    // The command with the two bytes now in CommandBuffer, its reply's data into `destination` (the
    // 256 bytes of a `V` block).
    bool exchangeInto(std::uint8_t command, std::span<std::uint8_t> destination);

    // The loop every body runs over its blocks of exchanges: `block(i)` makes the exchanges of block i
    // and returns false when it failed or must end. After each block the loop ends when the run failed
    // or the user asked to stop; otherwise it sets the position `progressAfter(i)` (when given) and
    // lets pending input through. A Cancel that arrives in the pumping after the last block still
    // counts: true only when every block ran and nothing asked to stop by the end.
    bool runBlocks(int count, const std::function<bool(int)>& block,
                   const std::function<int(int)>& progressAfter);

    void setProgress(int position) { m_host.setProgress(position); }
    void setStatus(StringId text) { m_host.setStatus(Text(text)); }
    void pumpMessages() { m_host.pumpMessages(); }

  private:
    bool failOutOfStep(int strayBytes);

    OperationState& m_state;
    OperationHost& m_host;
    LocalTimeSource m_localTime;
    bool m_failed = false;
    bool m_confirmedInStep = true;  // false from each frame sent until confirmInStep()
    std::optional<UnfinishedWrite> m_writeNote;
};

}  // namespace torv
