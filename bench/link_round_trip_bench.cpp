// `R` round trips per second through the frame layer against torvsim on a pseudo-terminal, next to a
// minimal reference loop (plain write, poll, read of the same bytes on the same line). The frame layer
// should reach at least 90 % of the reference.

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <vector>

#include "bench/statistics.h"
#include "link/frames.h"
#include "link/port_names.h"
#include "tests/support/sim_process.h"

namespace {

using torv::bench::Median;

using Clock = std::chrono::steady_clock;
constexpr int kPort = 1;
constexpr int kRoundTrips = 2000;  // per round
constexpr int kRounds = 15;
constexpr std::array<std::uint8_t, 4> kReadWordZero{0x52, 0x00, 0x00, 0xAD};
constexpr std::size_t kReplyBytes = 4;  // ACK, two data bytes, checksum

double FrameLayerRate() {
    std::array<std::uint8_t, 2> buffer{};
    std::string error;
    const auto start = Clock::now();
    for (int i = 0; i < kRoundTrips; ++i) {
        buffer = {0, 0};
        torv::SendCommand(kPort, torv::kReadWordCommand, buffer.data(), 2);
        if (torv::ReceiveReply(kPort, buffer.data(), 2, torv::kReplyTimeoutMs, error) == 0) {
            std::fprintf(stderr, "frame layer: %s\n", error.c_str());
            return 0;
        }
    }
    return kRoundTrips / std::chrono::duration<double>(Clock::now() - start).count();
}

// The least a program can do for the same exchange on the same line.
double ReferenceRate(const std::string& device) {
    const int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    std::array<std::uint8_t, kReplyBytes> reply{};
    const auto start = Clock::now();
    for (int i = 0; i < kRoundTrips; ++i) {
        if (write(fd, kReadWordZero.data(), kReadWordZero.size()) !=
            static_cast<ssize_t>(kReadWordZero.size())) {
            return 0;
        }
        std::size_t received = 0;
        while (received < kReplyBytes) {
            pollfd entry{fd, POLLIN, 0};
            poll(&entry, 1, torv::kReplyTimeoutMs);
            const ssize_t n = read(fd, reply.data() + received, kReplyBytes - received);
            if (n > 0) {
                received += static_cast<std::size_t>(n);
            }
        }
    }
    const double rate = kRoundTrips / std::chrono::duration<double>(Clock::now() - start).count();
    close(fd);
    return rate;
}

}  // namespace

int main() {
    torv::test::SimProcess sim;
    torv::SetComPortDevicePath(kPort, sim.devicePath());
    if (torv::OpenLink(kPort, torv::kDefaultBaudIndex) != torv::kLinkOpened) {
        std::fprintf(stderr, "cannot open %s\n", sim.devicePath().c_str());
        return 1;
    }
    // Short rounds of the two loops in turn, so that both see the same machine; the medians are
    // compared, because a single round can be skewed by where the scheduler put the two processes.
    std::vector<double> frameLayer;
    std::vector<double> reference;
    for (int round = 0; round < kRounds; ++round) {
        reference.push_back(ReferenceRate(sim.devicePath()));
        frameLayer.push_back(FrameLayerRate());
    }
    torv::CloseLink(kPort);
    const double frameMedian = Median(frameLayer);
    const double referenceMedian = Median(reference);
    std::printf(
        "R round trips per second (median of %d rounds): frame layer %.0f, reference loop %.0f, "
        "ratio %.1f %%\n",
        kRounds, frameMedian, referenceMedian, 100.0 * frameMedian / referenceMedian);
    return 0;
}
