#include "link/com_port.h"

#include <array>
#include <memory>
#include <string>
#include <utility>

#include "link/com_device.h"

namespace torv {
namespace {

struct ComPortEntry {
    std::unique_ptr<ComDevice> handle;  // meaningful only while open
    bool open = false;
};

// One entry per port number 1..256, at index number - 1.
std::array<ComPortEntry, kComPortCount> ComPortTable;

ComTraceSink& TraceSink() {
    static ComTraceSink sink;
    return sink;
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
    if (TraceSink()) {
        TraceSink()(port, direction, std::span<const std::uint8_t>(bytes, static_cast<std::size_t>(count)));
    }
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
    const ComDeviceOpener& opener = CurrentComDeviceOpener();
    entry.handle = opener ? opener(port) : OpenPlatformComDevice(port);
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
    TraceSink() = std::move(sink);
}

}  // namespace torv
