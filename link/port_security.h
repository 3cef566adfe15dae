#pragma once
// How well a network port is protected. An rfc2217s:// port speaks TLS with the files of the TLS
// folder. A plain rfc2217:// port carries the sensor's words unencrypted and unauthenticated: anyone on the
// network between this PC and the device server can read them and change them on their way. To a
// server on this PC (the loopback) that is no risk; elsewhere every run says so, unless the plant has
// weighed it and listed the port, one name a line, in the ports folder's file "unencrypted" (or the
// fleet file marks the sensor's line `unencrypted`).

#include <string>

namespace torv {

// The file of accepted unencrypted ports: ports/unencrypted in the configuration folder.
std::string AcceptedUnencryptedPortsFile();

// The TLS folder: $TORV_TLS_DIR, or "tls" in the configuration folder.
std::string TlsFolder();

// "network port, TLS, server CN=line3-srv, client certificate", or without the parts nobody knows yet
// (the server's name once this process has connected to it; the client certificate when the TLS
// folder has cert.pem), or "network port, not encrypted". Listing ports never connects: a device
// server gives its port to one client at a time and opens the sensor's line for it.
std::string DescribeNetworkPort(const std::string& name);

// A TLS connection to the port came up with a server whose certificate has this CN.
void NoteServerCommonName(const std::string& name, const std::string& commonName);

// The one-line warning for a device path that is a plain network port to another host and not
// accepted; empty otherwise.
std::string UnencryptedPortWarning(const std::string& devicePath);

}  // namespace torv
