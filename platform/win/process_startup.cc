// Signals arrive through a signalfd watched by the reactor, so they are handled
// inside the message loop like any other event, never in signal context.
#include "win/process_startup.h"

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include "platform/winuser.h"
#include "win/reactor.h"
#include "win/window_table.h"

namespace plat::win {

namespace {

void CloseTopLevelWindows() {
  bool posted = false;
  for (HWND hwnd : TopLevelWindows()) {
    Window* w = FindWindowRecord(hwnd);
    if (w && (w->style & WS_CAPTION) == WS_CAPTION) posted |= PostMessage(hwnd, WM_CLOSE, 0, 0);
  }
  if (!posted) PostQuitMessage(0);
}

}  // namespace

void InstallTerminationHandling() {
  signal(SIGPIPE, SIG_IGN);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGHUP);
  if (sigprocmask(SIG_BLOCK, &set, nullptr) != 0) return;
  int fd = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
  if (fd < 0) return;
  TheReactor().Watch(fd, POLLIN, [fd](short) {
    signalfd_siginfo info;
    bool any = false;
    while (read(fd, &info, sizeof info) == (ssize_t)sizeof info)
      any = true;
    if (any) CloseTopLevelWindows();
  });
}

}  // namespace plat::win
