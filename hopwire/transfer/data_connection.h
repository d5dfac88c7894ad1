// The data connection of an active-mode transfer: a socket listening where the
// server is told to connect (PORT, or the default data port), the one connection
// taken from the server's own address, and the abort of a transfer under way.
// session.listenSocket and session.dataSocket are the only handles of both.
#pragma once

#include "platform/winsock.h"

// Listens on the control connection's local address and announces it with PORT
// (sendPort on) or keeps the control connection's port (sendPort off). False,
// with its line, when the socket cannot be made or the server refuses PORT.
bool PrepareDataConnection();

enum class AcceptOutcome {
  kConnected,    // session.dataSocket is the server's connection, non-blocking
  kFailed,       // with its line: the wait failed or was cancelled
  kServerEnded,  // the server gave its final reply instead of connecting
};
// Waits without a time limit; the controller's cancel ends the wait.
AcceptOutcome AcceptDataConnection();

// Telnet interrupt and ABOR on the control connection, what is still coming on
// the data connection (INVALID_SOCKET: none) drained and closed, and the
// replies read.
void AbortTransfer(SOCKET data);

void CloseListenSocket();
void CloseDataSocket();
