// What a serial device is, from sysfs: a USB adapter names its maker, product and serial number in
// the attributes of the USB device above its tty.

#include <filesystem>
#include <fstream>
#include <string>

#include "link/network_port_name.h"
#include "link/port_names.h"
#include "link/port_security.h"

namespace torv {
namespace {

namespace fs = std::filesystem;

constexpr int kMaxUsbDepth = 8;  // interface, device and the hubs above it

std::string Attribute(const fs::path& folder, const char* name) {
    std::ifstream file(folder / name);
    std::string value;
    std::getline(file, value);
    return value;
}

// The USB device folder above a tty's device folder (the one with idVendor), or empty.
fs::path UsbDeviceFolder(fs::path folder) {
    for (int depth = 0; depth < kMaxUsbDepth && !folder.empty() && folder != folder.root_path(); ++depth) {
        std::error_code error;
        if (fs::exists(folder / "idVendor", error)) {
            return folder;
        }
        folder = folder.parent_path();
    }
    return {};
}

std::string UsbDescription(const fs::path& usb) {
    std::string text = "USB serial adapter";
    for (const char* name : {"manufacturer", "product"}) {
        if (const std::string value = Attribute(usb, name); !value.empty()) {
            text += " " + value;
        }
    }
    if (const std::string serial = Attribute(usb, "serial"); !serial.empty()) {
        text += ", serial " + serial;
    }
    return text;
}

}  // namespace

std::string DescribeSerialDevice(const std::string& devicePath, const std::string& sysfsRoot) {
    if (IsNetworkPortName(devicePath)) {
        return DescribeNetworkPort(devicePath);
    }
    std::error_code error;
    const fs::path device = fs::canonical(devicePath, error);
    if (error) {
        return "no device";
    }
    if (device.parent_path() == "/dev/pts") {
        return "pseudo-terminal";
    }
    const fs::path tty = fs::path(sysfsRoot) / "class/tty" / device.filename();
    const fs::path hardware = fs::canonical(tty / "device", error);
    if (error) {
        return fs::exists(tty, error) ? "virtual terminal" : "serial device";
    }
    if (const fs::path usb = UsbDeviceFolder(hardware); !usb.empty()) {
        return UsbDescription(usb);
    }
    // An 8250 port without hardware behind it reports type 0 ("unknown").
    return Attribute(tty, "type") == "0" ? "no device (a serial port without hardware)"
                                         : "built-in serial port";
}

}  // namespace torv
