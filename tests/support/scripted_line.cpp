#include "tests/support/scripted_line.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "link/com_device.h"
#include "link/frames.h"

namespace torv::test {
namespace {

constexpr std::size_t kFrameSize = 4;

std::string Hex(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (std::uint8_t byte : bytes) {
        char digits[4];
        std::snprintf(digits, sizeof digits, text.empty() ? "%02X" : " %02X", byte);
        text += digits;
    }
    return text;
}

class ScriptedDevice : public ComDevice {
  public:
    explicit ScriptedDevice(ScriptedLine& line) : m_line(line) {}

    void setupQueues(int, int) override {}
    bool getState(DeviceControl& control) override {
        control = m_control;
        return true;
    }
    bool setState(const DeviceControl& control) override {
        m_control = control;
        m_line.calls.push_back("state " + std::to_string(control.baudRate));
        return true;
    }
    bool drainOutput() override {
        m_line.calls.emplace_back("drain");
        return true;
    }
    // The driver asks again for the rest of a read that brought part of its bytes; the double's time
    // has then passed (a limit cut the reply short, or nothing more is waiting), so that second ask
    // brings nothing and is not a read of its own in the record.
    int readSome(std::uint8_t* buffer, int count, int waitMs) override {
        if (m_askedAgain) {
            m_askedAgain = false;
            return 0;
        }
        m_line.calls.push_back("read " + std::to_string(count) + (waitMs == 0 ? " at once" : ""));
        // A read that takes only what is waiting finds all of it: the limits are for reads that wait.
        int wanted = count;
        if (!m_line.readLimits.empty() && waitMs != 0) {
            wanted = std::min(count, std::max(m_line.readLimits.front(), 0));
            m_line.readLimits.pop_front();
        }
        int taken = 0;
        for (; taken < wanted && !m_line.input.empty(); ++taken) {
            buffer[taken] = m_line.input.front();
            m_line.input.pop_front();
        }
        m_askedAgain = waitMs != 0 && taken > 0 && taken < count;
        return taken;
    }
    int writeSome(const std::uint8_t* buffer, int count, int) override {
        m_askedAgain = false;
        const std::span<const std::uint8_t> bytes(buffer, static_cast<std::size_t>(count));
        m_line.calls.push_back("write " + Hex(bytes));
        m_frame.insert(m_frame.end(), bytes.begin(), bytes.end());
        while (m_frame.size() >= kFrameSize) {
            const std::vector<std::uint8_t> frame(m_frame.begin(), m_frame.begin() + kFrameSize);
            m_frame.erase(m_frame.begin(), m_frame.begin() + kFrameSize);
            const std::vector<std::uint8_t> reply =
                m_line.answer ? m_line.answer(frame) : AckReply(std::span(frame).subspan(1, 2));
            m_line.input.insert(m_line.input.end(), reply.begin(), reply.end());
        }
        return count;
    }
    void purgeInput() override {
        m_askedAgain = false;
        m_line.calls.emplace_back("purge");
        m_line.input.clear();
    }
    bool close() override {
        m_line.calls.emplace_back("close");
        return true;
    }

  private:
    ScriptedLine& m_line;
    DeviceControl m_control;
    bool m_askedAgain = false;
    std::vector<std::uint8_t> m_frame;
};

}  // namespace

ScriptedLine::ScriptedLine() {
    SetComDeviceOpener([this](int port) -> std::unique_ptr<ComDevice> {
        calls.push_back("open " + std::to_string(port));
        return std::make_unique<ScriptedDevice>(*this);
    });
}

ScriptedLine::~ScriptedLine() {
    SetComDeviceOpener({});
}

std::vector<std::uint8_t> AckReply(std::span<const std::uint8_t> data) {
    std::vector<std::uint8_t> reply{kAck};
    reply.insert(reply.end(), data.begin(), data.end());
    reply.push_back(FrameChecksum(kAck, data));
    return reply;
}

}  // namespace torv::test
