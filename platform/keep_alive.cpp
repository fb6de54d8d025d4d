#include "platform/keep_alive.h"

#ifdef _WIN32
#include <winsock2.h>
// winsock2.h first.
#include <mstcpip.h>
#include <ws2tcpip.h>
#else
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif

#ifdef _WIN32

bool SetTcpKeepAlive(intptr_t socket, const KeepAlive& keepAlive) {
  // One call sets all three on every Windows that runs the client; the count of
  // probes is the system's (ten).
  tcp_keepalive values{};
  values.onoff = 1;
  values.keepalivetime = static_cast<ULONG>(keepAlive.idleSeconds) * 1000;
  values.keepaliveinterval = static_cast<ULONG>(keepAlive.intervalSeconds) * 1000;
  DWORD returned = 0;
  return WSAIoctl(static_cast<SOCKET>(socket), SIO_KEEPALIVE_VALS, &values, sizeof values, nullptr, 0, &returned,
                  nullptr, nullptr) == 0;
}

KeepAlive TcpKeepAliveOf(intptr_t) { return {0, 0, 0}; }

#else

namespace {
bool Set(int fd, int level, int name, int value) { return ::setsockopt(fd, level, name, &value, sizeof value) == 0; }
int Get(int fd, int level, int name) {
  int value = 0;
  socklen_t size = sizeof value;
  return ::getsockopt(fd, level, name, &value, &size) == 0 ? value : 0;
}
}  // namespace

bool SetTcpKeepAlive(intptr_t socket, const KeepAlive& keepAlive) {
  const int fd = static_cast<int>(socket);
  bool ok = Set(fd, SOL_SOCKET, SO_KEEPALIVE, 1);
#ifdef TCP_KEEPIDLE
  ok = Set(fd, IPPROTO_TCP, TCP_KEEPIDLE, keepAlive.idleSeconds) && ok;
#elif defined(TCP_KEEPALIVE)
  ok = Set(fd, IPPROTO_TCP, TCP_KEEPALIVE, keepAlive.idleSeconds) && ok;  // macOS spells it so
#endif
  ok = Set(fd, IPPROTO_TCP, TCP_KEEPINTVL, keepAlive.intervalSeconds) && ok;
  ok = Set(fd, IPPROTO_TCP, TCP_KEEPCNT, keepAlive.probes) && ok;
  return ok;
}

KeepAlive TcpKeepAliveOf(intptr_t socket) {
  const int fd = static_cast<int>(socket);
  if (Get(fd, SOL_SOCKET, SO_KEEPALIVE) == 0) return {0, 0, 0};
#ifdef TCP_KEEPIDLE
  const int idle = Get(fd, IPPROTO_TCP, TCP_KEEPIDLE);
#else
  const int idle = Get(fd, IPPROTO_TCP, TCP_KEEPALIVE);
#endif
  return {idle, Get(fd, IPPROTO_TCP, TCP_KEEPINTVL), Get(fd, IPPROTO_TCP, TCP_KEEPCNT)};
}

#endif
