// Waits of the data connection are WinSock selects (WaitForSockets), so the
// controller's cancel and the progress timer are served while they wait. The
// silence after which a transfer gives up is 60 seconds; HOPWIRE_DATA_WAIT_MS
// shortens it for tests.
#pragma once

#include "control/control_connection.h"  // WaitForSockets

// How long a peer may be silent before a transfer that does not wait for data
// gives up.
long PeerSilenceLimitMs();
