#include "sim/exchange_log.h"

#include <array>

namespace torv::sim {
namespace {

std::string Hex(std::uint8_t byte) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    return {kDigits[byte >> 4], kDigits[byte & 0x0F]};
}

constexpr std::size_t kJudgementReplySize = 4;  // ACK, n, status, checksum
constexpr std::size_t kStatusOffset = 2;

// What a `Y` reply told the tool, when it carried a new judgement: " judged=OK" and the trailer's bytes.
std::string JudgementNote(const ProtocolEvent& event) {
    const std::vector<std::uint8_t>& reply = event.reply;
    if (event.frame[0] != kPollJudgement || reply.size() < kJudgementReplySize || reply[0] != kAck) {
        return {};
    }
    const int judgement = reply[kStatusOffset] & kJudgementMask;
    if (judgement == kNoNewJudgement) {
        return {};
    }
    std::string note = judgement == kJudgementOk   ? " judged=OK"
                       : judgement == kJudgementNg ? " judged=NG"
                                                   : " judged=--";
    if (reply.size() > kJudgementReplySize) {
        note += " trailer=";
        for (std::size_t i = kJudgementReplySize; i < reply.size(); ++i) {
            note += Hex(reply[i]);
        }
    }
    return note;
}

}  // namespace

std::string FormatEventLine(const ProtocolEvent& event) {
    if (event.outcome == FrameOutcome::kRejected) {
        std::string line = "nak";
        for (std::uint8_t b : event.frame) {
            line += ' ' + Hex(b);
        }
        return line;
    }
    if (event.outcome != FrameOutcome::kExchange) {
        return {};
    }
    std::string line = std::to_string(event.exchange) + ' ' + static_cast<char>(event.frame[0]) + ' ' +
                       Hex(event.frame[1]) + ' ' + Hex(event.frame[2]);
    if (event.fault != FaultKind::kNone) {
        line += " fault=" + std::string(FaultKindName(event.fault));
    }
    return line + JudgementNote(event);
}

std::string FormatGarbageLine(std::size_t count, bool outgoing) {
    return std::string(outgoing ? "garbage-out " : "garbage ") + std::to_string(count);
}

ExchangeLog::~ExchangeLog() {
    if (m_file != nullptr) {
        std::fclose(m_file);
    }
}

bool ExchangeLog::open(const std::string& path) {
    m_file = std::fopen(path.c_str(), "a");
    return m_file != nullptr;
}

void ExchangeLog::write(const std::string& line) {
    if (m_file == nullptr || line.empty()) {
        return;
    }
    std::fputs(line.c_str(), m_file);
    std::fputc('\n', m_file);
    std::fflush(m_file);
}

}  // namespace torv::sim
