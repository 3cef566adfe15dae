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

// A wait of a backend call without a limit.
inline constexpr int kWaitForever = -1;

// The driver keeps each port's settings and time-outs and runs the time-out loop of every read and
// write itself; a backend only applies settings, waits for the line, moves bytes and drains.
class ComDevice {
  public:
    virtual ~ComDevice() = default;

    virtual void setupQueues(int inputQueueSize, int outputQueueSize) = 0;
    // The settings the device has when it is opened; the driver changes them from there.
    virtual bool getState(DeviceControl& control) = 0;
    // False when the device refuses the settings or cannot do them (1.5 stop bits, 4 data bits, ...).
    virtual bool setState(const DeviceControl& control) = 0;
    // Waits until every byte written so far has left the port: a UART or USB adapter still sending a
    // frame would otherwise send its tail at the new settings.
    virtual bool drainOutput() = 0;
    // Up to `count` of the bytes that have arrived. When none has, waits up to `waitMs` (0: not at
    // all; kWaitForever) for the first. 0: nothing came within the wait, or the line is gone.
    virtual int readSome(std::uint8_t* buffer, int count, int waitMs) = 0;
    // Writes as many of the bytes as the device takes, waiting up to `waitMs` (kWaitForever) for room
    // when it takes none; the number written (0: no room within the wait, or the line is gone).
    virtual int writeSome(const std::uint8_t* buffer, int count, int waitMs) = 0;
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
