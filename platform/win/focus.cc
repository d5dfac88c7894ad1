// The keyboard focus of the process's thread: one window or none. Setting it
// activates the window's top-level ancestor first, as Win32 does, and fails
// when that ancestor chain holds a disabled or minimised window.
#include "gui/display.h"
#include "platform/winuser.h"
#include "win/window_ops.h"
#include "win/window_table.h"

using plat::win::FindWindowRecord;
using plat::win::Window;

namespace {

HWND focusWindow = nullptr;

// The top-level ancestor, or null when a window of the chain can't take focus.
HWND FocusableTop(HWND hwnd) {
  Window* w = FindWindowRecord(hwnd);
  while (w) {
    if (w->style & (WS_DISABLED | WS_MINIMIZE)) return nullptr;
    if (!(w->style & WS_CHILD)) return w->handle;
    w = FindWindowRecord(w->parent);
  }
  return nullptr;
}

}  // namespace

HWND GetFocus() {
  return focusWindow;
}

HWND SetFocus(HWND hwnd) {
  HWND previous = focusWindow;
  if (hwnd) {
    if (!FindWindowRecord(hwnd)) return nullptr;
    if (hwnd == focusWindow) return previous;
    HWND top = FocusableTop(hwnd);
    if (!top) return nullptr;
    if (top != GetActiveWindow()) {
      SetActiveWindow(top);
      if (!FindWindowRecord(hwnd)) return nullptr;
      previous = focusWindow;  // activation may have moved it
      if (hwnd == focusWindow) return previous;
    }
  }
  focusWindow = hwnd;
  if (previous && FindWindowRecord(previous)) SendMessage(previous, WM_KILLFOCUS, (WPARAM)hwnd, 0);
  // A window procedure may have moved the focus elsewhere meanwhile.
  if (hwnd && focusWindow == hwnd) SendMessage(hwnd, WM_SETFOCUS, (WPARAM)previous, 0);
  plat::gui::CurrentDisplay().FocusChanged(focusWindow);
  return previous;
}

namespace plat::win {

void DropFocus(HWND hwnd) {
  if (!focusWindow || (focusWindow != hwnd && !IsChild(hwnd, focusWindow))) return;
  focusWindow = nullptr;
  plat::gui::CurrentDisplay().FocusChanged(nullptr);
}

}  // namespace plat::win
