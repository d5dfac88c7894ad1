// SIGINT is taken out of the layer's blocked set and caught: the handler only
// writes a byte to a pipe the reactor watches, so the program's handlers run in
// the loop. The layer's signalfd then never sees SIGINT, as it only reads signals
// that are blocked.
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "platform/console.h"
#include "win/reactor.h"

namespace {

int wakeRead = -1;
int wakeWrite = -1;
std::vector<PHANDLER_ROUTINE> handlers;
bool ignoring = false;

void OnSignal(int) {
  int saved = errno;
  char byte = 1;
  (void)!write(wakeWrite, &byte, 1);
  errno = saved;
}

void Dispatch() {
  char bytes[64];
  bool any = false;
  while (read(wakeRead, bytes, sizeof bytes) > 0)
    any = true;
  if (!any || ignoring) return;
  std::vector<PHANDLER_ROUTINE> current = handlers;  // a handler may change the list
  for (auto it = current.rbegin(); it != current.rend(); ++it) {
    if ((*it)(CTRL_C_EVENT)) return;
  }
  signal(SIGINT, SIG_DFL);
  raise(SIGINT);
}

bool Install() {
  if (wakeRead >= 0) return true;
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) return false;
  wakeRead = pipeFds[0];
  wakeWrite = pipeFds[1];
  plat::win::TheReactor().Watch(wakeRead, POLLIN, [](short) { Dispatch(); });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
  return true;
}

}  // namespace

BOOL SetConsoleCtrlHandler(PHANDLER_ROUTINE handler, BOOL add) {
  if (!Install()) return FALSE;
  if (!handler) {
    ignoring = add;
    return TRUE;
  }
  if (add) {
    handlers.push_back(handler);
    return TRUE;
  }
  auto it = std::find(handlers.rbegin(), handlers.rend(), handler);
  if (it == handlers.rend()) return FALSE;
  handlers.erase(std::next(it).base());
  return TRUE;
}
