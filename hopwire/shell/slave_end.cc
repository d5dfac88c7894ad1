// A request may be running below us (a timer or a destroy dispatched from inside its
// network wait): ending its session there would close sockets it still uses, so its
// wait is cancelled and the session ends when the request has unwound.
#include "shell/slave_end.h"

#include "hopwire/session_state.h"
#include "shell/networking.h"
#include "shell/timers.h"

namespace {

int WINAPI CancelEveryWait() {
  WSACancelBlockingCall();
  return FALSE;
}

}  // namespace

void EndSessionOnTheWayOut() {
  if (!session.networkStarted) return;
  WSASetBlockingHook((FARPROC)CancelEveryWait);
  EndSessionAndStopNetworking();
}

void EndSlave() {
  if (session.ending) return;
  session.ending = true;
  if (session.window) KillTimer(session.window, kWatchdogTimer);
  session.abortRequested = true;
  if (WSAIsBlocking()) WSACancelBlockingCall();
  if (session.requestDepth == 0) EndSessionOnTheWayOut();
  PostQuitMessage(0);
}
