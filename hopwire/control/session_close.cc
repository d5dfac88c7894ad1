// Ending a session. Whatever way it ends, both sockets are closed and marked as
// none, so no later command can reach a descriptor that now means something else.
#include "control/control_connection.h"
#include "hopwire/session_state.h"

void CloseSocket(SOCKET* s, bool shut) {
  if (*s == INVALID_SOCKET) return;
  if (shut) shutdown(*s, 2);
  closesocket(*s);
  *s = INVALID_SOCKET;
}

void CloseSession() {
  if (!session.connected) return;
  SendCommand("QUIT");
  CloseSocket(&session.controlSocket, false);
  CloseSocket(&session.listenSocket, false);
  CloseSocket(&session.dataSocket, false);
  session.connected = false;
}

void DropConnection() {
  ResetReplyReader();
  if (!session.connected) return;
  CloseSocket(&session.controlSocket, true);
  CloseSocket(&session.listenSocket, true);
  CloseSocket(&session.dataSocket, true);
  session.connected = false;
}
