// Waits of the data connection: WinSock selects, so the controller's cancel and
// the progress timer are served while they wait. The silence after which a
// transfer gives up is 60 seconds; HOPWIRE_DATA_WAIT_MS shortens it for tests.
#pragma once

#include "platform/winsock.h"

inline constexpr long kNoTimeLimit = -1;

// Waits until one of the sockets (INVALID_SOCKET entries are left out) is ready
// to read, or to write with `writable`; bit i of *ready is set for sockets[i].
// 1 ready, 0 timed out, -1 failed or cancelled (WSAGetLastError tells which).
int WaitForSockets(const SOCKET* sockets, int count, bool writable, long timeoutMs,
                   unsigned* ready);

// How long a peer may be silent before a transfer that does not wait for data
// gives up.
long PeerSilenceLimitMs();
