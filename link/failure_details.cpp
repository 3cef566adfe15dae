#include "link/failure_details.h"

#include "link/com_device.h"
#include "link/frames.h"
#include "link/network_port_name.h"
#include "link/port_names.h"
#include "resources/strings.h"

namespace torv {
namespace {

std::string RateText(int baudIndex) {
    if (baudIndex < 0 || baudIndex >= kBaudIndexCount) {
        return "no valid baud rate";
    }
    return std::to_string(kBaudRates[static_cast<std::size_t>(baudIndex)]) + " baud";
}

}  // namespace

std::string OpenFailureDetail(int port, int baudIndex, int result) {
    if (result == kLinkBadBaudIndex) {
        return "The baud rate is not set: choose one of 4800 .. 115200 baud (index " +
               std::to_string(baudIndex) + " is none of them).";
    }
    if (port < 1 || port > kMaxPortNumber) {
        return "No COM port is chosen.";
    }
    const std::string& reason = ComOpenFailure();
    // The reason names the device; a port tied to a path needs no other name.
    const bool tiedToPath = DescribeComPort(port) == ComPortDevicePath(port);
    const std::string name = tiedToPath ? std::string() : "COM" + std::to_string(port) + ": ";
    return name + (reason.empty() ? DescribeComPort(port) + " cannot be opened." : reason);
}

std::string ReplyFailureDetail(int port, int baudIndex, const std::string& message) {
    const std::string where = DescribeComPort(port) + " at " + RateText(baudIndex);
    // Behind a device server the line runs through the network and the server too.
    const bool networked = IsNetworkPortName(ComPortDevicePath(port));
    const std::string line =
        networked ? "the device server, the network and the cable behind the server" : "the cable";
    if (message == Text(StringId::kNoResponse)) {
        return "No reply from the sensor on " + where + " within " + std::to_string(kReplyTimeoutMs) +
               " ms. Check that the sensor is on, that the baud rate matches its COMMUNIC setting, and " +
               line + ".";
    }
    if (message == Text(StringId::kInvalidResponse)) {
        return "The reply on " + where +
               " did not begin with ACK: the sensor refused the command, another device is on the line, "
               "or the baud rate does not match the sensor's.";
    }
    return "The reply on " + where + " arrived damaged or incomplete. Check the baud rate and " +
           (networked ? line : line + " and its shielding") + ".";
}

}  // namespace torv
