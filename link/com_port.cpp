#include "link/com_port.h"

#include <algorithm>
#include <array>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "link/com_device.h"
#include "link/network_port_name.h"
#include "link/port_names.h"

namespace torv {
namespace {

struct ComPortEntry {
    std::unique_ptr<ComDevice> handle;  // meaningful only while open
    bool open = false;
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
    DeviceControl control;
    device->getState(control);
    return device->setState(ApplyConfigWord(control, configWord)) ? kComOk : kComDeviceRefused;
}

int SetComReadTimeout(int port, int milliseconds) {
    ComDevice* device = UsableDevice(port);
    if (device == nullptr) {
        return kComNotUsable;
    }
    ComTimeouts timeouts;
    device->getTimeouts(timeouts);
    const auto ms = static_cast<std::uint32_t>(milliseconds);
    timeouts.readInterval = ms;
    timeouts.readMultiplier = 0;
    timeouts.readConstant = ms;
    return device->setTimeouts(timeouts) ? kComOk : kComDeviceRefused;
}

int SetComWriteTimeout(int port, int milliseconds) {
    ComDevice* device = UsableDevice(port);
    if (device == nullptr) {
        return kComNotUsable;
    }
    ComTimeouts timeouts;
    device->getTimeouts(timeouts);
    timeouts.writeMultiplier = 0;
    timeouts.writeConstant = static_cast<std::uint32_t>(milliseconds);
    return device->setTimeouts(timeouts) ? kComOk : kComDeviceRefused;
}

int ReadComPort(int port, std::uint8_t* buffer, int count) {
    ComDevice* device = UsableDevice(port);
    if (device == nullptr || count <= 0) {
        return 0;
    }
    const int received = device->read(buffer, count);
    Trace(port, TraceDirection::kReceived, buffer, received);
    return received;
}

int ReadComPortIfAny(int port, std::uint8_t* buffer, int count, int milliseconds) {
    ComDevice* device = UsableDevice(port);
    if (device == nullptr || count <= 0) {
        return 0;
    }
    ComTimeouts before;
    device->getTimeouts(before);
    ComTimeouts timeouts = before;
    const auto ms = static_cast<std::uint32_t>(std::max(milliseconds, 0));
    timeouts.readInterval = ms == 0 ? kReadIntervalNoWait : ms;
    timeouts.readMultiplier = 0;
    timeouts.readConstant = ms;
    device->setTimeouts(timeouts);
    const int received = device->read(buffer, count);
    device->setTimeouts(before);
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
    const int written = device->write(buffer, count);
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
