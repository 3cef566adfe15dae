#include "cli/link_commands.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/device_operation.h"
#include "cli/json_output.h"
#include "link/failure_details.h"
#include "link/frames.h"
#include "link/port_names.h"
#include "resources/strings.h"

namespace torv::cli {
namespace {

constexpr int kLowLatencyMs = 1;             // what a lowered latency timer reads
constexpr std::size_t kPortNumberWidth = 3;  // "COM1   ", "COM12  ", "COM256 "
// What `ports` says when an adapter's latency timer is above kLowLatencyMs.
constexpr std::string_view kLatencyAdvice =
    "A USB adapter holds received bytes for its latency timer before passing them on, which slows\n"
    "every exchange. torvctl and torvloader ask for low latency when they open a port; a timer above\n"
    "1 ms means the driver did not take that request. Lower it until the adapter is plugged in again:\n";

struct ExchangeArguments {
    std::string letter;
    std::string byte1;
    std::string byte2;
    int replyBytes = 2;
};

// "82", "0x52" -> 82; -1 when the text is not a byte in decimal or 0x hex.
int ParseByte(const std::string& text) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = hex ? text.substr(2) : text;
    if (digits.empty() || digits.size() > 3) {
        return -1;
    }
    int value = 0;
    for (char c : digits) {
        const int digit = (c >= '0' && c <= '9')          ? c - '0'
                          : hex && (c >= 'a' && c <= 'f') ? c - 'a' + 10
                          : hex && (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                          : -1;
        if (digit < 0) {
            return -1;
        }
        value = value * (hex ? 16 : 10) + digit;
    }
    return value <= 0xFF ? value : -1;
}

// What a command that changes the sensor asks first, as the desktop tool asks before the same change;
// nothing for a command that only reads.
std::optional<StringId> ExchangeQuestion(char letter) {
    switch (static_cast<std::uint8_t>(letter)) {
        case kWriteWordCommand:
        case kStoreCommand:
        case kKeyPressCommand:  // a key can change a setting on the sensor's panel
            return StringId::kAgreeOverwriteSensor;
        case kCalendarCommand:
            return StringId::kSetClockQuestion;
        default:
            return std::nullopt;
    }
}

void PrintHex(const std::uint8_t* bytes, int count) {
    std::array<char, 4> hex{};
    for (int i = 0; i < count; ++i) {
        std::snprintf(hex.data(), hex.size(), i == 0 ? "%02X" : " %02X", bytes[i]);
        std::cout << hex.data();
    }
    std::cout << '\n';
}

// The frame and its reply, with nothing waiting before it and nothing more after it: a reply that came
// late for an earlier command is never printed as this one's. Empty when the reply is valid; otherwise
// the facts, with the message in `lastErrorText`.
std::string ExchangeInStep(const LinkTarget& target, std::uint8_t letter,
                           const std::array<std::uint8_t, 2>& data, std::span<std::uint8_t> reply,
                           std::string& lastErrorText) {
    int stray = ExpectNothingWaiting(target.port, lastErrorText);
    if (stray == 0) {
        SendCommand(target.port, letter, data.data(), 2);
        if (ReceiveReply(target.port, reply.data(), static_cast<int>(reply.size()), kReplyTimeoutMs,
                         lastErrorText) == 0) {
            return ReplyFailureDetail(target.port, target.baudIndex, lastErrorText);
        }
        stray = ExpectNothingMore(target.port, target.baudIndex, lastErrorText);
    }
    return stray == 0 ? std::string() : LateReplyDetail(target.port, target.baudIndex, stray);
}

int RunExchange(const GlobalOptions& options, const ExchangeArguments& arguments) {
    const int byte1 = ParseByte(arguments.byte1);
    const int byte2 = ParseByte(arguments.byte2);
    if (arguments.letter.size() != 1 || byte1 < 0 || byte2 < 0) {
        std::cerr
            << "torvctl exchange: give a command letter and two bytes (decimal or 0x hex), e.g. R 0 0\n";
        return kExitUsage;
    }
    LinkTarget target;
    if (!ResolveLinkTarget(options, target)) {
        return kExitUsage;
    }
    OperationState state;
    if (const std::optional<StringId> question = ExchangeQuestion(arguments.letter[0]);
        question && !Confirmed(options, state, Text(*question))) {
        return kExitAborted;
    }
    const int opened = OpenLink(target.port, target.baudIndex);
    if (opened != kLinkOpened) {
        std::cerr << Text(opened == kLinkOpenFailed ? StringId::kOpenPortFailed : StringId::kBaudRateInvalid)
                  << '\n'
                  << OpenFailureDetail(target.port, target.baudIndex, opened) << '\n';
        return kExitPort;
    }
    const std::array<std::uint8_t, 2> data{static_cast<std::uint8_t>(byte1),
                                           static_cast<std::uint8_t>(byte2)};
    std::array<std::uint8_t, kMaxReplyData> reply{};
    std::string lastErrorText;
    const std::string failure = ExchangeInStep(target, static_cast<std::uint8_t>(arguments.letter[0]), data,
                                               std::span(reply).first(arguments.replyBytes), lastErrorText);
    CloseLink(target.port);
    if (!failure.empty()) {
        std::cerr << lastErrorText << '\n' << failure << '\n';
        return kExitFailed;
    }
    if (JsonOutput()) {
        PrintJson(Json{{"reply", std::vector<int>(reply.begin(), reply.begin() + arguments.replyBytes)}});
    } else {
        PrintHex(reply.data(), arguments.replyBytes);
    }
    return kExitOk;
}

// ", latency timer 16 ms" for a USB adapter whose driver has one; empty otherwise.
std::string LatencyText(const std::string& device) {
    const std::optional<int> timer = UsbLatencyTimerMs(device);
    return timer ? ", latency timer " + std::to_string(*timer) + " ms" : std::string();
}

// For the adapters whose driver held on to a latency timer above 1 ms: how to lower it.
void PrintLatencyAdvice(const std::vector<std::string>& slowDevices) {
    if (slowDevices.empty()) {
        return;
    }
    std::cout << kLatencyAdvice;
    for (const std::string& device : slowDevices) {
        const std::string name = std::filesystem::path(device).filename().string();
        std::cout << "  echo 1 | sudo tee /sys/class/tty/" << name << "/device/latency_timer\n";
    }
    std::cout << "or for good with the udev rule in the README (\"USB serial adapters\").\n";
}

Json LatencyJson(const std::string& device) {
    const std::optional<int> timer = UsbLatencyTimerMs(device);
    return timer ? Json(*timer) : Json(nullptr);
}

void PrintPortsJson() {
    const std::string folder = PortsFolder();
    Json ports = Json::array();
    for (const PortMapEntry& entry : ListPortMap()) {
        ports.push_back({{"name", "COM" + std::to_string(entry.portNumber)},
                         {"device", entry.devicePath},
                         {"link", entry.fromPortsFolder},
                         {"present", entry.present},
                         {"description", DescribeSerialDevice(entry.devicePath)},
                         {"latency_ms", entry.present ? LatencyJson(entry.devicePath) : Json(nullptr)}});
    }
    Json devices = Json::array();
    for (const std::string& device : ListSerialDevices()) {
        devices.push_back({{"device", device},
                           {"description", DescribeSerialDevice(device)},
                           {"latency_ms", LatencyJson(device)}});
    }
    PrintJson(Json{{"folder", folder.empty() ? Json(nullptr) : Json(folder)},
                   {"ports", std::move(ports)},
                   {"devices", std::move(devices)}});
}

int RunPorts() {
    if (JsonOutput()) {
        PrintPortsJson();
        return kExitOk;
    }
    const std::string folder = PortsFolder();
    std::cout << (folder.empty() ? "Ports:\n" : "Ports (folder " + folder + "):\n");
    for (const PortMapEntry& entry : ListPortMap()) {
        std::string number = std::to_string(entry.portNumber);
        number.resize(std::max(number.size(), kPortNumberWidth), ' ');
        std::cout << "  COM" << number << ' ' << entry.devicePath << (entry.fromPortsFolder ? " (link)" : "")
                  << ": " << DescribeSerialDevice(entry.devicePath)
                  << (entry.present ? LatencyText(entry.devicePath) : std::string()) << '\n';
    }
    std::cout << "Serial devices present:\n";
    const auto devices = ListSerialDevices();
    if (devices.empty()) {
        std::cout << "  (none)\n";
    }
    std::vector<std::string> slowDevices;
    for (const std::string& device : devices) {
        std::cout << "  " << device << ": " << DescribeSerialDevice(device) << LatencyText(device) << '\n';
        if (UsbLatencyTimerMs(device).value_or(kLowLatencyMs) > kLowLatencyMs) {
            slowDevices.push_back(device);
        }
    }
    PrintLatencyAdvice(slowDevices);
    return kExitOk;
}

}  // namespace

void AddExchangeCommand(CLI::App& app, CliContext& context) {
    auto arguments = std::make_shared<ExchangeArguments>();
    CLI::App* command =
        app.add_subcommand("exchange", "Send one command frame and print the reply's data bytes");
    command->add_option("LETTER", arguments->letter, "Command letter, e.g. R")->required();
    command->add_option("B1", arguments->byte1, "First data byte (decimal or 0x hex)")->required();
    command->add_option("B2", arguments->byte2, "Second data byte (decimal or 0x hex)")->required();
    command->add_option("--reply-bytes", arguments->replyBytes, "Data bytes in the reply (256 for V)")
        ->check(CLI::Range(0, kMaxReplyData))
        ->capture_default_str();
    command->callback([&context, arguments] {
        context.run = [&context, arguments] { return RunExchange(context.options, *arguments); };
    });
}

void AddPortsCommand(CLI::App& app, CliContext& context) {
    CLI::App* command = app.add_subcommand("ports", "Show which device each COM port opens");
    command->callback([&context] { context.run = RunPorts; });
}

}  // namespace torv::cli
