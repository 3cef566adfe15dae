#pragma once
// A serial port on the network: a device server (a small box, or a PC running ser2net) that carries
// one sensor's line over TCP with the RFC 2217 Telnet option. Such a port is named
// "rfc2217://HOST:PORT" wherever a device path may stand: torvctl --port, a fleet file, or the target
// of a COMn link in the ports folder; "rfc2217s://HOST:PORT" is the same over TLS, the server's
// certificate checked against the plant's CA and HOST.

#include <optional>
#include <string>
#include <string_view>

namespace torv {

inline constexpr std::string_view kNetworkPortScheme = "rfc2217://";
inline constexpr std::string_view kSecureNetworkPortScheme = "rfc2217s://";

struct NetworkPortAddress {
    std::string host;  // a name, an IPv4 address or an IPv6 address (given in brackets)
    int port = 0;      // 1..65535
    bool tls = false;  // rfc2217s://

    bool operator==(const NetworkPortAddress&) const = default;
};

// True when the name begins with either scheme (in any case), so that it is never opened as a file.
bool IsNetworkPortName(std::string_view name);

// The server's address; nullopt when the name is not "rfc2217://HOST:PORT" (or rfc2217s://) with a
// usable host and port.
std::optional<NetworkPortAddress> ParseNetworkPortName(std::string_view name);

}  // namespace torv
