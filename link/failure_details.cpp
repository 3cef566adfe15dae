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

std::string LineText(int port, int baudIndex) {
    return DescribeComPort(port) + " at " + RateText(baudIndex);
}

std::string HexText(std::string_view bytes) {
    constexpr std::string_view kDigits = "0123456789ABCDEF";
    std::string text;
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (!text.empty()) {
            text += ' ';
        }
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0xF];
    }
    return text;
}

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
    const std::string where = LineText(port, baudIndex);
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

std::string LateReplyDetail(int port, int baudIndex, int strayBytes) {
    return std::to_string(strayBytes) + (strayBytes == 1 ? " byte" : " bytes") + " arrived on " +
           LineText(port, baudIndex) +
           " that no command had asked for: a reply came late, so the replies were out of step with the "
           "commands and none of them is used. The sensor may still be busy with an earlier command (one "
           "that a run before this one gave up waiting for); wait a moment and try again.";
}

}  // namespace torv
