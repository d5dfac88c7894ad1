// Ending a session. Whatever way it ends, both sockets are closed and marked as
// none, so no later command can reach a descriptor that now means something else.
#include "control/control_connection.h"
#include "hopwire/session_state.h"

namespace {

void Close(SOCKET* s, bool shut) {
  if (*s == INVALID_SOCKET) return;
  if (shut) shutdown(*s, 2);
  closesocket(*s);
  *s = INVALID_SOCKET;
}

}  // namespace

void CloseSession() {
  if (!session.connected) return;
  SendCommand("QUIT");
  Close(&session.controlSocket, false);
  Close(&session.listenSocket, false);
  Close(&session.dataSocket, false);
  session.connected = false;
}

void DropConnection() {
  ResetReplyReader();
  if (!session.connected) return;
  Close(&session.controlSocket, true);
  Close(&session.listenSocket, true);
  Close(&session.dataSocket, true);
  session.connected = false;
}
