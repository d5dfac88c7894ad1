// One notice per arming: a level-triggered poll would otherwise post a message
// for every wait until the program reads.
#include "platform/console.h"
#include "platform/winuser.h"
#include "win/reactor.h"

BOOL WatchInputDescriptor(int fd, HWND hwnd, UINT message) {
  if (fd < 0) return FALSE;
  plat::win::Reactor& reactor = plat::win::TheReactor();
  if (message == 0) {
    reactor.Unwatch(fd);
    return TRUE;
  }
  if (!IsWindow(hwnd)) return FALSE;
  reactor.Watch(fd, POLLIN, [fd, hwnd, message](short) {
    plat::win::TheReactor().SetEvents(fd, 0);
    PostMessage(hwnd, message, (WPARAM)fd, 0);
  });
  return TRUE;
}
