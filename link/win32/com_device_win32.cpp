// The line backend over the Win32 communication functions.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "link/com_device.h"
#include "link/port_names.h"

namespace torv {
namespace {

BYTE Win32StopBits(StopBits stopBits) {
    switch (stopBits) {
        case StopBits::kOne:
            return ONESTOPBIT;
        case StopBits::kOneAndHalf:
            return ONE5STOPBITS;
        case StopBits::kTwo:
            return TWOSTOPBITS;
    }
    return ONESTOPBIT;
}

StopBits StopBitsOf(BYTE code) {
    return code == TWOSTOPBITS    ? StopBits::kTwo
           : code == ONE5STOPBITS ? StopBits::kOneAndHalf
                                  : StopBits::kOne;
}

BYTE Win32Parity(Parity parity) {
    switch (parity) {
        case Parity::kNone:
            return NOPARITY;
        case Parity::kOdd:
            return ODDPARITY;
        case Parity::kEven:
            return EVENPARITY;
        case Parity::kMark:
            return MARKPARITY;
        case Parity::kSpace:
            return SPACEPARITY;
    }
    return NOPARITY;
}

Parity ParityOf(BYTE code) {
    switch (code) {
        case ODDPARITY:
            return Parity::kOdd;
        case EVENPARITY:
            return Parity::kEven;
        case MARKPARITY:
            return Parity::kMark;
        case SPACEPARITY:
            return Parity::kSpace;
        default:
            return Parity::kNone;
    }
}

DWORD DtrCode(DtrControl dtr) {
    return dtr == DtrControl::kDisable  ? DTR_CONTROL_DISABLE
           : dtr == DtrControl::kEnable ? DTR_CONTROL_ENABLE
                                        : DTR_CONTROL_HANDSHAKE;
}

DWORD RtsCode(RtsControl rts) {
    switch (rts) {
        case RtsControl::kDisable:
            return RTS_CONTROL_DISABLE;
        case RtsControl::kEnable:
            return RTS_CONTROL_ENABLE;
        case RtsControl::kHandshake:
            return RTS_CONTROL_HANDSHAKE;
        case RtsControl::kToggle:
            return RTS_CONTROL_TOGGLE;
    }
    return RTS_CONTROL_ENABLE;
}

std::string OpenFailureReason(int portNumber, DWORD error) {
    const std::string name = ComPortName(portNumber);  // COMn, or the device it was tied to
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return name + " does not exist (is the adapter plugged in?).";
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            return name + " is in use by another program.";
        default:
            return name + " cannot be opened (system error " + std::to_string(error) + ").";
    }
}

class Win32ComDevice : public ComDevice {
  public:
    explicit Win32ComDevice(HANDLE handle) : m_handle(handle) {}
    ~Win32ComDevice() override {
        if (m_handle != INVALID_HANDLE_VALUE) {
            CloseHandle(m_handle);
        }
    }

    void setupQueues(int inputQueueSize, int outputQueueSize) override {
        SetupComm(m_handle, static_cast<DWORD>(inputQueueSize), static_cast<DWORD>(outputQueueSize));
    }
    bool getState(DeviceControl& control) override;
    bool setState(const DeviceControl& control) override;
    bool drainOutput() override { return FlushFileBuffers(m_handle) != FALSE; }
    int readSome(std::uint8_t* buffer, int count, int waitMs) override;
    int writeSome(const std::uint8_t* buffer, int count, int waitMs) override;
    void purgeInput() override { PurgeComm(m_handle, PURGE_RXCLEAR); }
    bool close() override {
        if (CloseHandle(m_handle) == FALSE) {
            return false;
        }
        m_handle = INVALID_HANDLE_VALUE;
        return true;
    }

  private:
    bool useTimeouts(const COMMTIMEOUTS& timeouts);

    HANDLE m_handle;
    COMMTIMEOUTS m_timeouts{};  // what the device was last given
    bool m_timeoutsSet = false;
};

bool Win32ComDevice::getState(DeviceControl& control) {
    DCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    const bool ok = GetCommState(m_handle, &dcb) != FALSE;
    control.baudRate = dcb.BaudRate;
    control.byteSize = dcb.ByteSize;
    control.parity = ParityOf(dcb.Parity);
    control.stopBits = StopBitsOf(dcb.StopBits);
    control.parityCheck = dcb.fParity != 0;
    control.errorCharEnabled = dcb.fErrorChar != 0;
    control.errorChar = dcb.ErrorChar;
    control.dtrControl = static_cast<DtrControl>(dcb.fDtrControl);
    control.rtsControl = static_cast<RtsControl>(dcb.fRtsControl);
    control.ctsFlow = dcb.fOutxCtsFlow != 0;
    control.dsrFlow = dcb.fOutxDsrFlow != 0;
    control.xonXoffOut = dcb.fOutX != 0;
    control.xonXoffIn = dcb.fInX != 0;
    control.txContinueOnXoff = dcb.fTXContinueOnXoff != 0;
    return ok;
}

bool Win32ComDevice::setState(const DeviceControl& control) {
    DCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    GetCommState(m_handle, &dcb);  // keeps the members the configuration word does not name
    dcb.BaudRate = control.baudRate;
    dcb.ByteSize = control.byteSize;
    dcb.Parity = Win32Parity(control.parity);
    dcb.StopBits = Win32StopBits(control.stopBits);
    dcb.fParity = control.parityCheck;
    dcb.fErrorChar = control.errorCharEnabled;
    dcb.ErrorChar = control.errorChar;
    dcb.fDtrControl = DtrCode(control.dtrControl);
    dcb.fRtsControl = RtsCode(control.rtsControl);
    dcb.fOutxCtsFlow = control.ctsFlow;
    dcb.fOutxDsrFlow = control.dsrFlow;
    dcb.fOutX = control.xonXoffOut;
    dcb.fInX = control.xonXoffIn;
    dcb.fTXContinueOnXoff = control.txContinueOnXoff;
    return SetCommState(m_handle, &dcb) != FALSE;
}

// Each read and write says how long it may wait; the device is told only when that changes.
bool Win32ComDevice::useTimeouts(const COMMTIMEOUTS& timeouts) {
    if (m_timeoutsSet && std::memcmp(&timeouts, &m_timeouts, sizeof timeouts) == 0) {
        return true;
    }
    COMMTIMEOUTS native = timeouts;
    m_timeoutsSet = SetCommTimeouts(m_handle, &native) != FALSE;
    m_timeouts = timeouts;
    return m_timeoutsSet;
}

// A read interval of MAXDWORD with no totals returns at once with what has arrived; with a total
// multiplier of MAXDWORD as well, it waits up to the total constant for the first byte and returns
// as soon as one has come.
int Win32ComDevice::readSome(std::uint8_t* buffer, int count, int waitMs) {
    COMMTIMEOUTS timeouts = m_timeouts;
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = waitMs == 0 ? 0 : MAXDWORD;
    timeouts.ReadTotalTimeoutConstant = waitMs < 0 ? MAXDWORD - 1 : static_cast<DWORD>(waitMs);
    DWORD transferred = 0;
    if (useTimeouts(timeouts)) {
        ReadFile(m_handle, buffer, static_cast<DWORD>(count), &transferred, nullptr);
    }
    return static_cast<int>(transferred);
}

// A write total constant of 0 is no limit.
int Win32ComDevice::writeSome(const std::uint8_t* buffer, int count, int waitMs) {
    COMMTIMEOUTS timeouts = m_timeouts;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = waitMs < 0 ? 0 : static_cast<DWORD>(std::max(waitMs, 1));
    DWORD transferred = 0;
    if (useTimeouts(timeouts)) {
        WriteFile(m_handle, buffer, static_cast<DWORD>(count), &transferred, nullptr);
    }
    return static_cast<int>(transferred);
}

}  // namespace

// \\.\COMn, unless the port was tied to another device (a test's simulated sensor under wine).
std::unique_ptr<ComDevice> OpenPlatformComDevice(int portNumber) {
    const std::string name = ComPortDevicePath(portNumber);
    HANDLE handle =
        CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        SetComOpenFailure(OpenFailureReason(portNumber, GetLastError()));
        return nullptr;
    }
    return std::make_unique<Win32ComDevice>(handle);
}

}  // namespace torv
