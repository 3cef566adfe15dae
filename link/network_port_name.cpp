#include "link/network_port_name.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace torv {
namespace {

constexpr int kMaxTcpPort = 65535;

bool SameLetters(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// Host names, IPv4 and IPv6 addresses use only these; anything else (blanks, commas, parentheses)
// could not stand in a connection string.
bool IsHostCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '.' || c == '-' || c == '_' || c == ':' ||
           c == '%';
}

std::optional<int> ParseTcpPort(std::string_view text) {
    int port = 0;
    const char* end = text.data() + text.size();
    const auto [next, error] = std::from_chars(text.data(), end, port);
    if (text.empty() || error != std::errc{} || next != end || port < 1 || port > kMaxTcpPort) {
        return std::nullopt;
    }
    return port;
}

bool StartsWithScheme(std::string_view name, std::string_view scheme) {
    return name.size() >= scheme.size() && SameLetters(name.substr(0, scheme.size()), scheme);
}

}  // namespace

bool IsNetworkPortName(std::string_view name) {
    return StartsWithScheme(name, kNetworkPortScheme) || StartsWithScheme(name, kSecureNetworkPortScheme);
}

std::optional<NetworkPortAddress> ParseNetworkPortName(std::string_view name) {
    const bool tls = StartsWithScheme(name, kSecureNetworkPortScheme);
    if (!tls && !StartsWithScheme(name, kNetworkPortScheme)) {
        return std::nullopt;
    }
    const std::string_view rest =
        name.substr(tls ? kSecureNetworkPortScheme.size() : kNetworkPortScheme.size());
    const std::size_t colon = rest.rfind(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view host = rest.substr(0, colon);
    const bool bracketed = host.size() >= 2 && host.front() == '[' && host.back() == ']';
    if (bracketed) {
        host = host.substr(1, host.size() - 2);
    }
    const bool colonInHost = host.find(':') != std::string_view::npos;
    if (host.empty() || colonInHost != bracketed || !std::all_of(host.begin(), host.end(), IsHostCharacter)) {
        return std::nullopt;  // an IPv6 address needs its brackets, and only it may hold colons
    }
    const std::optional<int> port = ParseTcpPort(rest.substr(colon + 1));
    if (!port) {
        return std::nullopt;
    }
    return NetworkPortAddress{std::string(host), *port, tls};
}

}  // namespace torv
