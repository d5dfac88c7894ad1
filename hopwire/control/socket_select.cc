// Select over at most a handful of sockets. fd_set is POSIX's, so a socket past
// its end is refused rather than written outside the set.
#include "control/control_connection.h"

int WaitForSockets(const SOCKET* sockets, int count, bool writable, long timeoutMs,
                   unsigned* ready) {
  *ready = 0;
  fd_set set;
  FD_ZERO(&set);
  bool any = false;
  for (int i = 0; i < count; ++i) {
    if (sockets[i] == INVALID_SOCKET) continue;
    if (sockets[i] >= FD_SETSIZE) {
      WSASetLastError(WSAENOTSOCK);
      return -1;
    }
    FD_SET((int)sockets[i], &set);
    any = true;
  }
  if (!any) {
    WSASetLastError(WSAENOTSOCK);
    return -1;
  }
  timeval wait{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  const timeval* limit = timeoutMs < 0 ? nullptr : &wait;
  int n = writable ? select(0, nullptr, &set, nullptr, limit)
                   : select(0, &set, nullptr, nullptr, limit);
  if (n == SOCKET_ERROR) return -1;
  for (int i = 0; i < count; ++i) {
    if (sockets[i] != INVALID_SOCKET && FD_ISSET((int)sockets[i], &set)) *ready |= 1u << i;
  }
  return n > 0;
}
