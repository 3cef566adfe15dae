#pragma once
// The line backend: the few calls the serial driver makes on a real device. Each transport (a POSIX
// terminal, a Win32 COM port) implements them once; nothing above the driver knows which one runs.
// Tests install a backend of their own to see the calls the driver makes and in which order.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "link/device_control.h"

namespace torv {

// A read interval of this with both read totals 0 makes a read return at once with the bytes that
// have already arrived, none waiting for more (the Win32 convention).
inline constexpr std::uint32_t kReadIntervalNoWait = 0xFFFFFFFF;

struct ComTimeouts {
    std::uint32_t readInterval = 0;  // longest gap between two bytes of one read, ms (0: none)
    std::uint32_t readMultiplier = 0;
    std::uint32_t readConstant = 0;  // a read ends at the latest this long after it began, ms
    std::uint32_t writeMultiplier = 0;
    std::uint32_t writeConstant = 0;

    bool readsWithoutWaiting() const {
        return readInterval == kReadIntervalNoWait && readMultiplier == 0 && readConstant == 0;
    }
};

class ComDevice {
  public:
    virtual ~ComDevice() = default;

    virtual void setupQueues(int inputQueueSize, int outputQueueSize) = 0;
    virtual bool getState(DeviceControl& control) = 0;
    // False when the device refuses the settings or cannot do them (1.5 stop bits, 4 data bits, ...).
    virtual bool setState(const DeviceControl& control) = 0;
    // Waits until every byte written so far has left the port: a UART or USB adapter still sending a
    // frame would otherwise send its tail at the new settings.
    virtual bool drainOutput() = 0;
    virtual bool getTimeouts(ComTimeouts& timeouts) = 0;
    virtual bool setTimeouts(const ComTimeouts& timeouts) = 0;
    // One read or write of the whole count within the time-outs; the number of bytes transferred.
    // A read with readsWithoutWaiting() time-outs takes only what has already arrived.
    virtual int read(std::uint8_t* buffer, int count) = 0;
    virtual int write(const std::uint8_t* buffer, int count) = 0;
    virtual void purgeInput() = 0;
    // False when the device could not be closed; it then stays usable and is not destroyed.
    virtual bool close() = 0;
};

// Opens the device of a port number exclusively; nullptr when it cannot be opened.
using ComDeviceOpener = std::function<std::unique_ptr<ComDevice>(int portNumber)>;

// The platform's own devices (POSIX terminals or Win32 COM ports).
std::unique_ptr<ComDevice> OpenPlatformComDevice(int portNumber);

// Why the last open on this thread failed, as a sentence for the user ("/dev/ttyUSB0: permission
// denied ..."). Backends set it whenever they return nullptr; the driver clears it before each open.
void SetComOpenFailure(std::string reason);
const std::string& ComOpenFailure();

// A serial port on a network device server, named "rfc2217://HOST:PORT" (link/network_port_name.h);
// nullptr when the server cannot be reached, does not give us the port, or this build has none.
std::unique_ptr<ComDevice> OpenNetworkComDevice(const std::string& name);
// False in a build without the network backend (built without libgensio).
bool NetworkPortsAvailable();

// What the driver opens from now on; an empty opener restores the platform's. For tests.
void SetComDeviceOpener(ComDeviceOpener opener);
ComDeviceOpener& CurrentComDeviceOpener();

}  // namespace torv
