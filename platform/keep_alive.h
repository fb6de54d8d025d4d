#pragma once
// TCP keep-alive on a connected socket: the system probes a connection that
// has been quiet, and ends it when the peer no longer answers, so a server that
// vanished without closing (a cable pulled, a NAT that forgot the connection)
// is noticed even by a client that sends nothing of its own.

#include <cstdint>

struct KeepAlive {
  int idleSeconds = 60;      // quiet time before the first probe
  int intervalSeconds = 10;  // between unanswered probes
  int probes = 6;            // unanswered probes that end the connection
};

// Turns keep-alive on for the socket (a POSIX descriptor or a Windows SOCKET)
// with these timings. False when the system refused an option (the connection
// still works, without the probes).
bool SetTcpKeepAlive(intptr_t socket, const KeepAlive& keepAlive);

// The timings in force on the socket, read back from the system; all zero when
// they cannot be read (for the tests).
KeepAlive TcpKeepAliveOf(intptr_t socket);
