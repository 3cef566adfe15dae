// What the port list says a device is, and a USB adapter's latency timer, read from a sysfs tree laid
// out as the kernel lays out USB adapters and built-in ports.

#include <gtest/gtest.h>

#include <filesystem>

#include "link/port_names.h"
#include "tests/support/pty_pair.h"
#include "tests/support/temp_dir.h"

namespace torv {
namespace {

namespace fs = std::filesystem;

TEST(PortDetails, UsbAdaptersNameMakerProductSerialAndLatencyTimer) {
    test::TempDir folder;
    const fs::path sys = folder.path() / "sys";
    // tty -> interface folder -> USB device folder (the one with idVendor) -> hub
    const fs::path usbDevice = sys / "devices/pci0000:00/usb1/1-2";
    fs::create_directories(usbDevice / "1-2:1.0/ttyUSB3");
    test::WriteFileBytes((usbDevice / "1-2:1.0/latency_timer").string(), "16\n");
    for (const auto& [name, value] : {std::pair{"idVendor", "0403"},
                                      {"manufacturer", "FTDI"},
                                      {"product", "FT232R USB UART"},
                                      {"serial", "A10K3XYZ"}}) {
        test::WriteFileBytes((usbDevice / name).string(), std::string(value) + "\n");
    }
    fs::create_directories(sys / "class/tty/ttyUSB3");
    fs::create_directory_symlink(usbDevice / "1-2:1.0", sys / "class/tty/ttyUSB3/device");
    fs::create_directories(sys / "class/tty/ttyS0");
    fs::create_directories(sys / "devices/platform/serial8250");
    fs::create_directory_symlink(sys / "devices/platform/serial8250", sys / "class/tty/ttyS0/device");
    test::WriteFileBytes((sys / "class/tty/ttyS0/type").string(), "4\n");
    fs::create_directories(sys / "class/tty/ttyS1");
    fs::create_directory_symlink(sys / "devices/platform/serial8250", sys / "class/tty/ttyS1/device");
    test::WriteFileBytes((sys / "class/tty/ttyS1/type").string(), "0\n");
    fs::create_directories(folder.path() / "dev");
    for (const char* device : {"ttyUSB3", "ttyS0", "ttyS1"}) {
        test::WriteFileBytes(folder.file("dev/") + device, "");
    }
    fs::create_symlink(folder.path() / "dev/ttyUSB3", folder.path() / "COM4");
    test::PtyPair pty;

    const struct {
        std::string device;
        std::string description;
        std::optional<int> latencyMs;
    } cases[] = {
        {folder.file("COM4"), "USB serial adapter FTDI FT232R USB UART, serial A10K3XYZ", 16},
        {folder.file("dev/ttyS0"), "built-in serial port", std::nullopt},
        {folder.file("dev/ttyS1"), "no device (a serial port without hardware)", std::nullopt},
        {folder.file("dev/ttyUSB9"), "no device", std::nullopt},
        {pty.devicePath(), "pseudo-terminal", std::nullopt},
        {"rfc2217://10.0.0.7:3001", "network port", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DescribeSerialDevice(c.device, sys.string()), c.description) << c.device;
        EXPECT_EQ(UsbLatencyTimerMs(c.device, sys.string()), c.latencyMs) << c.device;
    }
}

}  // namespace
}  // namespace torv
