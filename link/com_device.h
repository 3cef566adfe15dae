#pragma once
// The line backend: the few calls the serial driver makes on a real device. POSIX (termios) and Win32
// each implement them once; the build picks one. Nothing above the driver knows which one runs.

#include <cstdint>
#include <string>

#include "link/device_control.h"

namespace torv {

struct ComDevice;  // defined by the backend

struct ComTimeouts {
    std::uint32_t readInterval = 0;  // longest gap between two bytes of one read, ms (0: none)
    std::uint32_t readMultiplier = 0;
    std::uint32_t readConstant = 0;  // a read ends at the latest this long after it began, ms
    std::uint32_t writeMultiplier = 0;
    std::uint32_t writeConstant = 0;
};

// Opens the device of a port number exclusively. nullptr when it cannot be opened.
ComDevice* OpenComDevice(int portNumber);
void SetupComDeviceQueues(ComDevice* device, int inputQueueSize, int outputQueueSize);
bool GetComDeviceState(ComDevice* device, DeviceControl& control);
// False when the device refuses the settings or cannot do them (1.5 stop bits, 4 data bits, ...).
bool SetComDeviceState(ComDevice* device, const DeviceControl& control);
bool GetComDeviceTimeouts(ComDevice* device, ComTimeouts& timeouts);
bool SetComDeviceTimeouts(ComDevice* device, const ComTimeouts& timeouts);
// One read or write of the whole count within the time-outs; the number of bytes transferred.
int ReadComDevice(ComDevice* device, std::uint8_t* buffer, int count);
int WriteComDevice(ComDevice* device, const std::uint8_t* buffer, int count);
void PurgeComDeviceInput(ComDevice* device);
// False when the device could not be closed; the device then stays valid.
bool CloseComDevice(ComDevice* device);

}  // namespace torv
