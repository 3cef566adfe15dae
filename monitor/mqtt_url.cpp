// The URL and the topics of MQTT publishing, in every build (one without libmosquitto refuses --mqtt
// with a reason of its own, after the URL has been read).

#include <algorithm>
#include <cctype>
#include <charconv>

#include "monitor/mqtt_publisher.h"

namespace torv {
namespace {

constexpr int kPlainPort = 1883;
constexpr int kTlsPort = 8883;
constexpr int kLastPort = 65535;

bool StartsWithNoCase(std::string_view text, std::string_view start) {
    if (text.size() < start.size()) {
        return false;
    }
    for (std::size_t i = 0; i < start.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != start[i]) {
            return false;
        }
    }
    return true;
}

// Splits "HOST[:PORT]" (an IPv6 address in brackets: "[::1]:1883").
bool ParseAuthority(std::string_view authority, MqttUrl& url, std::string& why) {
    std::string_view host = authority;
    std::string_view rest;  // ":PORT" or nothing
    if (authority.starts_with('[')) {
        const std::size_t close = authority.find(']');
        if (close == std::string_view::npos) {
            why = "the IPv6 address has no closing ']'";
            return false;
        }
        host = authority.substr(1, close - 1);
        rest = authority.substr(close + 1);
    } else if (const std::size_t colon = authority.rfind(':'); colon != std::string_view::npos) {
        host = authority.substr(0, colon);
        rest = authority.substr(colon);
    }
    if (host.empty()) {
        why = "it names no host";
        return false;
    }
    if (!rest.empty()) {
        const std::string_view port = rest.substr(1);
        int value = 0;
        const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), value);
        if (!rest.starts_with(':') || port.empty() || error != std::errc() ||
            end != port.data() + port.size() || value < 1 || value > kLastPort) {
            why = "the port is not a number 1..65535";
            return false;
        }
        url.port = value;
    }
    url.host = std::string(host);
    return true;
}

}  // namespace

std::string MqttLevelProblem(std::string_view level) {
    if (level.empty()) {
        return "is empty";
    }
    for (const char c : level) {
        if (c == '/' || c == '+' || c == '#') {
            return std::string("holds '") + c + "', which MQTT reserves in topics";
        }
        if (std::iscntrl(static_cast<unsigned char>(c)) != 0) {
            return "holds a control character";
        }
    }
    if (level.front() == '$') {
        return "starts with '$', which marks the broker's own topics";
    }
    return {};
}

std::optional<MqttUrl> ParseMqttUrl(std::string_view text, std::string& why) {
    MqttUrl url;
    if (StartsWithNoCase(text, "mqtts://")) {
        url.tls = true;
        text.remove_prefix(8);
    } else if (StartsWithNoCase(text, "mqtt://")) {
        text.remove_prefix(7);
    } else {
        why = "give mqtt://HOST[:PORT]/PREFIX or mqtts://HOST[:PORT]/PREFIX";
        return std::nullopt;
    }
    url.port = url.tls ? kTlsPort : kPlainPort;
    const std::size_t slash = text.find('/');
    const std::string_view authority = text.substr(0, slash);
    if (authority.find('@') != std::string_view::npos) {
        why = "a user name goes in --mqtt-user and the password in TORV_MQTT_PASSWORD, not in the URL";
        return std::nullopt;
    }
    if (!ParseAuthority(authority, url, why)) {
        return std::nullopt;
    }
    std::string_view prefix = slash == std::string_view::npos ? std::string_view() : text.substr(slash + 1);
    if (prefix.ends_with('/')) {
        prefix.remove_suffix(1);
    }
    // Each level of the prefix obeys the rules of a sensor's name, so the topics are plain names.
    for (std::size_t start = 0; !prefix.empty() && start <= prefix.size();) {
        const std::size_t end = std::min(prefix.find('/', start), prefix.size());
        const std::string_view level = prefix.substr(start, end - start);
        if (const std::string problem = MqttLevelProblem(level); !problem.empty()) {
            why = "the prefix's level '" + std::string(level) + "' " + problem;
            return std::nullopt;
        }
        start = end + 1;
    }
    url.prefix = std::string(prefix);
    return url;
}

std::string MqttTopic(const MqttUrl& url, std::string_view sensor, std::string_view kind) {
    std::string topic = url.prefix;
    if (!topic.empty()) {
        topic += '/';
    }
    topic.append(sensor).append("/").append(kind);
    return topic;
}

}  // namespace torv
