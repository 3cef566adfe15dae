#pragma once
// Which device a port number names. On Windows, port n is "\\.\COMn". On POSIX, port n is the
// device the symbolic link COMn in the ports folder points to, and /dev/ttyS<n-1> without such a
// link. A program may also tie a port number to a device path of its own choosing (torvctl --port).

#include <optional>
#include <string>
#include <vector>

namespace torv {

inline constexpr int kMaxPortNumber = 256;

// The device path that port `portNumber` opens.
std::string ComPortDevicePath(int portNumber);

// The port as a message names it: "COM3 (/dev/ttyUSB0)", or just the device path when the port was
// tied to one (torvctl --port PATH).
std::string DescribeComPort(int portNumber);

// Ties a port number to a device path for this process; an empty path removes the tie.
void SetComPortDevicePath(int portNumber, const std::string& devicePath);

// The tool's configuration folder: $XDG_CONFIG_HOME/torv, or ~/.config/torv; %APPDATA%\torv on
// Windows (empty when it has none).
std::string ConfigFolder();
// POSIX: the folder "ports" in the configuration folder. Empty on Windows.
std::string PortsFolder();

// The port as a command names it: "COM3", or the device path it was tied to.
std::string ComPortName(int portNumber);

// The device a path or network port name reaches, spelled one way, so that two spellings of one device
// are seen to be one: a path with its links followed, a network port as its server's address (host
// names in any case).
std::string CanonicalDevicePath(const std::string& devicePath);

struct PortMapEntry {
    int portNumber;
    std::string devicePath;  // what the port opens
    bool fromPortsFolder;    // a link in the ports folder, not the default device
    bool present;            // the device exists
};

// The ports COM1..COM9, and any other COMn linked in the ports folder.
std::vector<PortMapEntry> ListPortMap();

// Serial devices present on this machine (POSIX: /dev/ttyS*, ttyUSB*, ttyACM*, ...).
std::vector<std::string> ListSerialDevices();

// How long a USB serial adapter's driver holds received bytes before passing them on, in ms, as its
// latency timer in sysfs says (a link to the device is followed); nothing for a device without one,
// and on Windows, where the adapter's driver settings hold it. `sysfsRoot` is for tests.
std::optional<int> UsbLatencyTimerMs(const std::string& devicePath, const std::string& sysfsRoot = "/sys");

// What a device is, in words for the port list: "USB serial adapter FTDI FT232R USB UART, serial
// A10K3XYZ", "built-in serial port", "pseudo-terminal", "network port", or "no device" when nothing is
// there. POSIX reads the USB details from sysfs (under `sysfsRoot`).
std::string DescribeSerialDevice(const std::string& devicePath, const std::string& sysfsRoot = "/sys");

}  // namespace torv
