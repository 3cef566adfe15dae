#include "monitor/result_monitor.h"

#include <utility>

#include "link/com_port.h"
#include "link/failure_details.h"
#include "link/frames.h"
#include "resources/strings.h"

namespace torv {

ResultMonitor::ResultMonitor(OperationState& state, Clock clock)
    : m_state(state), m_clock(std::move(clock)) {}

ResultMonitor::~ResultMonitor() {
    close();
}

int ResultMonitor::openLink() {
    m_port = m_state.ComPortNumber;
    const int opened = OpenLink(m_port, m_state.BaudIndex);
    m_linkOpen = opened == kLinkOpened;
    if (!m_linkOpen) {
        fail(opened == kLinkOpenFailed ? StringId::kOpenPortFailed : StringId::kBaudRateInvalid,
             OpenFailureDetail(m_port, m_state.BaudIndex, opened));
    }
    return opened;
}

bool ResultMonitor::acceptCsvName(const std::string& baseName) {
    if (baseName.empty()) {
        return fail(StringId::kSpecifyFileName,
                    "Name the result CSV (the CSV Filename field, or --csv NAME).");
    }
    return true;
}

bool ResultMonitor::createCsv(const std::string& baseName, CsvStart start) {
    if (!acceptCsvName(baseName)) {
        return false;
    }
    if (!(start == CsvStart::kContinue ? m_csv.continueLog(baseName) : m_csv.create(baseName))) {
        return fail(StringId::kCreateFileFailed, m_csv.failureText());
    }
    return true;
}

bool ResultMonitor::fail(StringId message, std::string detail) {
    m_state.LastErrorText = Text(message);
    m_state.LastErrorDetail = std::move(detail);
    return false;
}

// The file and the reason are the message: "Failed to create the file." would be neither true nor
// enough for a log that was created and then could not be written.
bool ResultMonitor::failCsvWrite() {
    m_state.LastErrorText = m_csv.failureText();
    m_state.LastErrorDetail = "Every judgement before this one is in the file.";
    return false;
}

// A reply or trailer failure: its text is in LastErrorText already.
bool ResultMonitor::failReply() {
    m_state.LastErrorDetail = ReplyFailureDetail(m_port, m_state.BaudIndex, m_state.LastErrorText);
    return false;
}

bool ResultMonitor::failLateReply(int strayBytes) {
    m_state.LastErrorDetail = LateReplyDetail(m_port, m_state.BaudIndex, strayBytes);
    return false;
}

bool ResultMonitor::confirmInStep() {
    const int stray = ExpectNothingMore(m_port, m_state.BaudIndex, m_state.LastErrorText);
    return stray == 0 || failLateReply(stray);
}

PollResult ResultMonitor::poll(Judgement& judgement) {
    judgement = Judgement{};
    if (const int stray = ExpectNothingWaiting(m_port, m_state.LastErrorText); stray > 0) {
        failLateReply(stray);
        return PollResult::kFailed;
    }
    m_state.CommandBuffer = {0, 0};
    SendCommand(m_port, kJudgementCommand, m_state.CommandBuffer.data(), kJudgementReplySize);
    if (ReceiveReply(m_port, m_state.CommandBuffer.data(), kJudgementReplySize, kReplyTimeoutMs,
                     m_state.LastErrorText) == 0) {
        judgement = Judgement{};
        failReply();
        return PollResult::kFailed;
    }
    int received = 0;
    const int characterCount = m_state.CommandBuffer[0];
    if (HasTrailer(characterCount, JudgementOf(m_state.CommandBuffer[1]))) {
        // The trailer follows the reply frame directly and is read with the reply's time-out.
        received = ReadComPort(m_port, m_trailer.data(), static_cast<int>(TrailerSize(characterCount)));
    }
    return takeReply(m_state.CommandBuffer,
                     std::span<const std::uint8_t>(m_trailer.data(), static_cast<std::size_t>(received)),
                     judgement);
}

PollResult ResultMonitor::takeReply(std::array<std::uint8_t, kJudgementReplySize> reply,
                                    std::span<const std::uint8_t> trailer, Judgement& judgement) {
    judgement = Judgement{};
    const int characterCount = reply[0];
    judgement.code = JudgementOf(reply[1]);
    if (HasTrailer(characterCount, judgement.code)) {
        // No trailer at all is a silent sensor; a wrong checksum or a trailer cut short a damaged one.
        if (trailer.empty() || !DecodeTrailer(trailer, characterCount, judgement.characters)) {
            m_state.LastErrorText = Text(trailer.empty() ? StringId::kNoResponse : StringId::kChecksumError);
            failReply();
            return PollResult::kFailed;
        }
    }
    if (judgement.code == kNoNewJudgement) {
        return PollResult::kNothingNew;
    }
    if (m_csv.isOpen() && !m_csv.append(ResultCsvLines(judgement, ResultTimeStamp(m_clock())))) {
        // A log that silently stops growing loses judgements; the monitor stops and says so instead.
        failCsvWrite();
        return PollResult::kFailed;
    }
    return PollResult::kJudged;
}

bool ResultMonitor::countJudgement() {
    if (++m_count < kJudgementCountWrap) {
        return true;
    }
    m_count = 0;
    if (m_csv.isOpen() && !m_csv.startAgain()) {
        return fail(StringId::kCreateFileFailed, m_csv.failureText());
    }
    return true;
}

void ResultMonitor::close() {
    if (m_linkOpen) {
        CloseComPort(m_port);
        m_linkOpen = false;
    }
    m_csv.close();
}

MonitorEnd RunMonitorLoop(ResultMonitor& monitor, OperationState& state, MonitorHost& host) {
    Judgement judgement;
    while (!state.AbortRequest) {
        const PollResult result = monitor.poll(judgement);
        if (state.AbortRequest) {
            break;
        }
        if (result == PollResult::kFailed) {
            return MonitorEnd::kFailed;
        }
        if (result == PollResult::kJudged) {
            host.showJudgement(judgement);
            if (!monitor.countJudgement()) {
                return MonitorEnd::kFailed;
            }
            host.showCount(monitor.count());
        }
        host.pumpMessages();
    }
    return MonitorEnd::kStopped;
}

}  // namespace torv
