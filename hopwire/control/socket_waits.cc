// Waits of the control and data connections. A wait that times out is simply
// waited again: the only ends are readiness, an error and the controller's
// cancel, which makes select fail with WSAEINTR.
#include "control/control_connection.h"

namespace {

constexpr long kSendWaitSeconds = 120;
constexpr long kReceiveWaitSeconds = 60;

// 1 ready, 0 timed out, -1 failed or cancelled.
int WaitFor(SOCKET s, bool writable, long seconds) {
  // fd_set is POSIX's: a descriptor past its end must not be written into it.
  if (s >= FD_SETSIZE) {
    WSASetLastError(WSAENOTSOCK);
    return -1;
  }
  fd_set set;
  FD_ZERO(&set);
  FD_SET((int)s, &set);
  timeval wait{seconds, 0};
  int n = writable ? select(0, nullptr, &set, nullptr, &wait)
                   : select(0, &set, nullptr, nullptr, &wait);
  return n == SOCKET_ERROR ? -1 : n > 0;
}

}  // namespace

int SendWithWait(SOCKET s, const char* data, int length) {
  for (;;) {
    int sent = send(s, data, length, 0);
    if (sent >= 0) return sent;
    if (WSAGetLastError() != WSAEWOULDBLOCK) return -1;
    if (WaitFor(s, true, kSendWaitSeconds) < 0) return -1;
  }
}

int ReceiveWithWait(SOCKET s, char* buffer, int length) {
  for (;;) {
    int received = recv(s, buffer, length, 0);
    if (received >= 0) return received;
    if (WSAGetLastError() != WSAEWOULDBLOCK) return -1;
    int ready;
    while ((ready = WaitFor(s, false, kReceiveWaitSeconds)) == 0) {
    }
    if (ready < 0) return -1;
  }
}
