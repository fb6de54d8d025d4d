#pragma once
// What the user reads when the server refuses something or the connection
// fails: the fixed texts of every answer status, and the server's own text for
// status 1. Every text is code page 932, as inside the rest of the program, so a
// window shows each the same way.

#include <cstdint>
#include <optional>
#include <string>

// GmAReady other than 0 and 2 (status 2 shows the update notice instead);
// an unknown status shows the server's text.
std::string AReadyRefusal(uint8_t status, const char* serverMessage);
// GmAConnect other than 0; nullopt when nothing is shown.
std::optional<std::string> AConnectRefusal(uint8_t status, const char* serverMessage);
// GmACreateRoom; nullopt for success and for statuses that show nothing.
std::optional<std::string> ACreateRoomRefusal(uint8_t status, const char* serverMessage);
// GmAEnterRoom; nullopt for success and for statuses that show nothing.
std::optional<std::string> AEnterRoomRefusal(uint8_t status, const char* serverMessage);

// The socket errors the user is told about in words of their own; every other
// error is Other. The Tls faults belong to a connection access.ini asked to be
// secure: a certificate that did not verify, a handshake that failed (a server
// that speaks no TLS), an authority file with no certificate in it.
enum class SocketFault { Refused, HostNotFound, Timeout, Network, TlsCertificate, TlsHandshake, TlsAuthority, Other };
std::string SocketFaultText(SocketFault fault);
