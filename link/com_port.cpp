#include "link/com_port.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "link/com_device.h"
#include "link/network_port_name.h"
#include "link/port_names.h"

namespace torv {
namespace {

using Clock = std::chrono::steady_clock;

struct ComPortEntry {
    std::unique_ptr<ComDevice> handle;  // meaningful only while open
    bool open = false;
    DeviceControl control;  // what was last applied
    // A read ends when all its bytes have come or this long after it began (0: it waits for them
    // all); a write likewise.
    int readTimeoutMs = 0;
    int writeTimeoutMs = 0;
};

// One entry per port number 1..256, at index number - 1. Runs on different ports may go on at the
// same time in different threads (torvctl fleet): each touches only its own entry. One port is used by
// one thread at a time.
std::array<ComPortEntry, kComPortCount> ComPortTable;

struct TraceHook {
    std::mutex mutex;  // the sink may be replaced while other threads transfer; calls come one at a time
    ComTraceSink sink;
};

TraceHook& Tracer() {
    static TraceHook hook;
    return hook;
}

bool InRange(int port) {
    return port >= 1 && port <= kComPortCount;
}

// The device of a usable port (a number in range whose open flag is set), else nullptr.
ComDevice* UsableDevice(int port) {
    if (!InRange(port) || !ComPortTable[static_cast<std::size_t>(port - 1)].open) {
        return nullptr;
    }
    return ComPortTable[static_cast<std::size_t>(port - 1)].handle.get();
}

void Trace(int port, TraceDirection direction, const std::uint8_t* bytes, int count) {
    TraceHook& tracer = Tracer();
    const std::lock_guard lock(tracer.mutex);
    if (tracer.sink) {
        tracer.sink(port, direction, std::span<const std::uint8_t>(bytes, static_cast<std::size_t>(count)));
    }
}

// The end of a transfer that may take `ms` (0: no end).
class Deadline {
  public:
    explicit Deadline(int ms)
        : m_end(ms > 0 ? Clock::now() + std::chrono::milliseconds(ms) : Clock::time_point::max()) {}

    // What remains, in whole milliseconds rounded up: 0 once it has passed, kWaitForever without an end.
    int remainingMs() const {
        if (m_end == Clock::time_point::max()) {
            return kWaitForever;
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(m_end - Clock::now()).count();
        return static_cast<int>(std::max<decltype(left)>(left, 0));
    }

  private:
    Clock::time_point m_end;
};

// Reads until `count` bytes have come or the deadline has passed. A backend read that brings nothing
// has waited for all the time that remained (or the line is gone): the read ends there.
int ReadUntil(ComDevice& device, std::uint8_t* buffer, int count, const Deadline& deadline) {
    int received = 0;
    while (received < count) {
        const int waitMs = deadline.remainingMs();
        const int taken = waitMs == 0 ? 0 : device.readSome(buffer + received, count - received, waitMs);
        if (taken <= 0) {
            break;
        }
        received += taken;
    }
    return received;
}

int WriteUntil(ComDevice& device, const std::uint8_t* buffer, int count, const Deadline& deadline) {
    int written = 0;
    while (written < count) {
        const int waitMs = deadline.remainingMs();
        const int sent = waitMs == 0 ? 0 : device.writeSome(buffer + written, count - written, waitMs);
        if (sent <= 0) {
            break;
        }
        written += sent;
    }
    return written;
}

// A port named by a network address goes to the network backend, every other to the platform's.
std::unique_ptr<ComDevice> OpenPortDevice(int port) {
    const ComDeviceOpener& opener = CurrentComDeviceOpener();
    if (opener) {
        return opener(port);
    }
    const std::string path = ComPortDevicePath(port);
    return IsNetworkPortName(path) ? OpenNetworkComDevice(path) : OpenPlatformComDevice(port);
}

}  // namespace

int OpenComPort(int port, int inputQueueSize, int outputQueueSize) {
    if (!InRange(port)) {
        return kComBadPortNumber;
    }
    ComPortEntry& entry = ComPortTable[static_cast<std::size_t>(port - 1)];
    if (entry.open) {
        return kComAlreadyOpen;
    }
    SetComOpenFailure({});
    entry.handle = OpenPortDevice(port);
    if (entry.handle == nullptr) {
        return kComCreateFailed;
    }
    entry.handle->setupQueues(inputQueueSize, outputQueueSize);
    entry.handle->getState(entry.control);
    entry.open = true;
    SetComConfig(port, kDefaultConfigWord);
    SetComReadTimeout(port, kComDefaultTimeoutMs);
    SetComWriteTimeout(port, kComDefaultTimeoutMs);
    return kComOpened;
}

int SetComConfig(int port, std::uint32_t configWord) {
    ComDevice* device = UsableDevice(port);
    if (device == nullptr) {
        return kComNotUsable;
    }
    // Bytes still on their way out (the store command before a rate switch) leave at the old settings.
    device->drainOutput();
    ComPortEntry& entry = ComPortTable[static_cast<std::size_t>(port - 1)];
    const DeviceControl control = ApplyConfigWord(entry.control, configWord);
    if (!device->setState(control)) {
        return kComDeviceRefused;
    }
    entry.control = control;
    return kComOk;
}

int SetComReadTimeout(int port, int milliseconds) {
    if (UsableDevice(port) == nullptr) {
        return kComNotUsable;
    }
    ComPortTable[static_cast<std::size_t>(port - 1)].readTimeoutMs = std::max(milliseconds, 0);
    return kComOk;
}

int SetComWriteTimeout(int port, int milliseconds) {
    if (UsableDevice(port) == nullptr) {
        return kComNotUsable;
    }
    ComPortTable[static_cast<std::size_t>(port - 1)].writeTimeoutMs = std::max(milliseconds, 0);
    return kComOk;
}

int ReadComPort(int port, std::uint8_t* buffer, int count) {
    ComDevice* device = UsableDevice(port);
    if (device == nullptr || count <= 0) {
        return 0;
    }
    const Deadline deadline(ComPortTable[static_cast<std::size_t>(port - 1)].readTimeoutMs);
    const int received = ReadUntil(*device, buffer, count, deadline);
    Trace(port, TraceDirection::kReceived, buffer, received);
    return received;
}

int ReadComPortIfAny(int port, std::uint8_t* buffer, int count, int milliseconds) {
    ComDevice* device = UsableDevice(port);
    if (device == nullptr || count <= 0) {
        return 0;
    }
    const int received = milliseconds <= 0 ? std::max(device->readSome(buffer, count, 0), 0)
                                           : ReadUntil(*device, buffer, count, Deadline(milliseconds));
    if (received > 0) {
        Trace(port, TraceDirection::kReceived, buffer, received);
    }
    return received;
}

int WriteComPort(int port, const std::uint8_t* buffer, int count) {
    ComDevice* device = UsableDevice(port);
    if (device == nullptr || count <= 0) {
        return 0;
    }
    const Deadline deadline(ComPortTable[static_cast<std::size_t>(port - 1)].writeTimeoutMs);
    const int written = WriteUntil(*device, buffer, count, deadline);
    Trace(port, TraceDirection::kSent, buffer, written);
    return written;
}

int PurgeComInput(int port) {
    ComDevice* device = UsableDevice(port);
    if (device == nullptr) {
        return kComNotUsable;
    }
    device->purgeInput();
    return kComOk;
}

int CloseComPort(int port) {
    ComDevice* device = UsableDevice(port);
    if (device == nullptr) {
        return kComNotUsable;
    }
    if (!device->close()) {
        return kComDeviceRefused;
    }
    ComPortTable[static_cast<std::size_t>(port - 1)] = ComPortEntry{};
    return kComOk;
}

namespace {
thread_local std::string t_openFailure;
}  // namespace

void SetComOpenFailure(std::string reason) {
    t_openFailure = std::move(reason);
}

const std::string& ComOpenFailure() {
    return t_openFailure;
}

ComDeviceOpener& CurrentComDeviceOpener() {
    static ComDeviceOpener opener;
    return opener;
}

void SetComDeviceOpener(ComDeviceOpener opener) {
    CurrentComDeviceOpener() = std::move(opener);
}

void SetComTrace(ComTraceSink sink) {
    TraceHook& tracer = Tracer();
    const std::lock_guard lock(tracer.mutex);
    tracer.sink = std::move(sink);
}

}  // namespace torv
