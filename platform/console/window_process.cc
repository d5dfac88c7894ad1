// A window handle carries the number of the process that made it, which is how
// messages find their way; a process has one thread here, numbered as itself.
#include "ipc/window_registry.h"
#include "platform/console.h"
#include "platform/winuser.h"

DWORD GetWindowThreadProcessId(HWND hwnd, LPDWORD processId) {
  DWORD owner = IsWindow(hwnd) ? (DWORD)plat::ipc::OwnerOf(hwnd) : 0;
  if (processId) *processId = owner;
  return owner;
}
