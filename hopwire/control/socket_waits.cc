// Waits of the control connection. They have no time limit of their own: the
// ends are readiness, an error and the controller's cancel, which makes select
// fail with WSAEINTR (the watchdog ends a slave whose controller is gone).
#include "control/control_connection.h"

int SendWithWait(SOCKET s, const char* data, int length) {
  for (;;) {
    int sent = send(s, data, length, 0);
    if (sent >= 0) return sent;
    if (WSAGetLastError() != WSAEWOULDBLOCK) return -1;
    unsigned ready;
    if (WaitForSockets(&s, 1, true, kNoTimeLimit, &ready) < 0) return -1;
  }
}

int ReceiveWithWait(SOCKET s, char* buffer, int length) {
  for (;;) {
    int received = recv(s, buffer, length, 0);
    if (received >= 0) return received;
    if (WSAGetLastError() != WSAEWOULDBLOCK) return -1;
    unsigned ready;
    if (WaitForSockets(&s, 1, false, kNoTimeLimit, &ready) < 0) return -1;
  }
}
