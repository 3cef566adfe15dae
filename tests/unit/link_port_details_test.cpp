// What the port list says a device is, and a USB adapter's latency timer, read from a sysfs tree laid
// out as the kernel lays out USB adapters and built-in ports.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "link/port_names.h"
#include "link/port_security.h"
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
        {"rfc2217://10.0.0.7:3001", "network port, not encrypted", std::nullopt},
        {"rfc2217s://line3-srv:3001", "network port, TLS", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DescribeSerialDevice(c.device, sys.string()), c.description) << c.device;
        EXPECT_EQ(UsbLatencyTimerMs(c.device, sys.string()), c.latencyMs) << c.device;
    }
}

// A plain port to another host warns on every run, unless the ports folder's list accepts it (in any
// spelling of it); TLS and the loopback never warn.
TEST(PortSecurity, UnencryptedPortsToOtherHostsWarnUnlessAccepted) {
    test::TempDir config;
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string before = saved != nullptr ? saved : "";
    setenv("XDG_CONFIG_HOME", config.path().string().c_str(), 1);
    fs::create_directories(fs::path(PortsFolder()));
    test::WriteFileBytes(AcceptedUnencryptedPortsFile(),
                         "# weighed on 2026-11-02\n  RFC2217://Line7-GW:4001 \n");
    const struct {
        const char* port;
        bool warns;
    } cases[] = {
        {"rfc2217://10.0.3.5:4001", true},
        {"rfc2217://line3-gw.plant:4001", true},
        {"rfc2217://[fe80::1]:4001", true},
        {"rfc2217://127.0.0.1:4001", false},
        {"rfc2217://127.12.0.9:4001", false},
        {"rfc2217://localhost:4001", false},
        {"rfc2217://[::1]:4001", false},
        {"rfc2217://127.example:4001", true},
        {"rfc2217s://10.0.3.5:4001", false},
        {"rfc2217://line7-gw:4001", false},
        {"/dev/ttyUSB0", false},
    };
    for (const auto& c : cases) {
        const std::string warning = UnencryptedPortWarning(c.port);
        EXPECT_EQ(!warning.empty(), c.warns) << c.port;
        if (c.warns) {
            EXPECT_EQ(
                warning.rfind(std::string(c.port) + " is not encrypted: anyone on the network between", 0),
                0u)
                << warning;
        }
    }
    if (saved != nullptr) {
        setenv("XDG_CONFIG_HOME", before.c_str(), 1);
    } else {
        unsetenv("XDG_CONFIG_HOME");
    }
}

}  // namespace
}  // namespace torv
