// The watchdog is the slave's only way to notice that its controller has gone:
// the controller's window missing for four ticks in a row (one after request 502)
// ends the slave.
#include "shell/timers.h"

#include "hopwire/session_state.h"
#include "shell/progress.h"
#include "shell/report.h"
#include "shell/requests.h"
#include "shell/slave_calls.h"
#include "shell/slave_end.h"

namespace {

// An idle session sends an unreported NOOP now and then so the server keeps it.
void KeepAliveTick() {
  if (!session.keepAlive || session.busy) return;
  session.idleSeconds += kWatchdogPeriodMs / 1000;
  if (session.idleSeconds < kKeepAliveSeconds) return;
  session.idleSeconds = 0;
  // Not while a request uses the session: a NOOP between a command and its reply
  // would take that reply.
  if (!session.connected || session.requestDepth > 0) return;
  session.requestDepth++;
  session.quiet = true;
  SendCommand("NOOP");
  session.quiet = false;
  session.requestDepth--;
  AfterRequests();
}

}  // namespace

void WatchdogTick() {
  if (FindWindow(kControllerClass, nullptr)) {
    session.missingControllerTicks = 0;
  } else if (session.missingControllerTicks++ >= kWatchdogMissingLimit || session.exitRequested) {
    EndSlave();
    return;
  }
  KeepAliveTick();
}

void HandleTimer(UINT_PTR id) {
  if (id == kWatchdogTimer) WatchdogTick();
  if (id == kProgressTimer) ProgressTick();
}
