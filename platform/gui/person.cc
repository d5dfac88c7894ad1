// Mouse and keyboard gestures of the person API. Input is delivered the way
// the program's message loop would deliver it from the queue: through
// IsDialogMessage when the target is in a dialog, else dispatched.
#include "gui/person.h"

#include "controls/control_state.h"
#include "controls/user_input.h"
#include "dialog/dialog_state.h"
#include "platform/winbase.h"
#include "win/window_table.h"

namespace plat::gui {

namespace {

// Visible, and neither it nor any window it sits in is disabled.
bool Reachable(HWND hwnd) {
  if (!IsWindowVisible(hwnd)) return false;
  for (plat::win::Window* w = plat::win::FindWindowRecord(hwnd); w;
       w = plat::win::FindWindowRecord(w->parent)) {
    if (w->style & WS_DISABLED) return false;
    if (!(w->style & WS_CHILD)) break;
  }
  return true;
}

void Deliver(HWND target, UINT message, WPARAM wParam, LPARAM lParam) {
  MSG msg{target, message, wParam, lParam, GetTickCount(), {0, 0}};
  HWND dialog = plat::dialog::DialogOf(target);
  if (dialog && IsDialogMessage(dialog, &msg)) return;
  DispatchMessage(&msg);
}

// Statics without SS_NOTIFY and group boxes let the mouse through, as their
// WM_NCHITTEST answers HTTRANSPARENT in Win32.
bool Transparent(HWND hwnd) {
  if (plat::controls::StaticOf(hwnd)) return !(GetWindowLongPtr(hwnd, GWL_STYLE) & SS_NOTIFY);
  if (plat::controls::ButtonOf(hwnd))
    return (GetWindowLongPtr(hwnd, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
  return false;
}

// The window under a point of `window`'s client area; the point becomes the
// target's client coordinates.
HWND Hit(HWND window, POINT* point) {
  for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (!IsWindowVisible(c) || !IsWindowEnabled(c) || Transparent(c)) continue;
    RECT r;
    GetWindowRect(c, &r);
    POINT screen = *point;
    ClientToScreen(window, &screen);
    if (!PtInRect(&r, screen)) continue;
    ScreenToClient(c, &screen);
    *point = screen;
    return Hit(c, point);
  }
  return window;
}

bool ClassHasDoubleClicks(HWND hwnd) {
  plat::win::Window* w = plat::win::FindWindowRecord(hwnd);
  return w && (w->cls->wc.style & CS_DBLCLKS);
}

bool IsList(HWND hwnd) {
  return plat::controls::ListBoxOf(hwnd) || plat::controls::ComboBoxOf(hwnd);
}

}  // namespace

bool Click(HWND control) {
  if (!Reachable(control)) return false;
  if (IsList(control)) return FocusOn(control);
  Deliver(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
  if (IsWindow(control)) Deliver(control, WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
  return true;
}

bool ClickAt(HWND window, POINT point, UINT keys) {
  if (!Reachable(window)) return false;
  HWND target = Hit(window, &point);
  LPARAM at = MAKELPARAM(point.x, point.y);
  Deliver(target, WM_LBUTTONDOWN, MK_LBUTTON | keys, at);
  if (IsWindow(target)) Deliver(target, WM_LBUTTONUP, keys, at);
  return true;
}

bool DoubleClickAt(HWND window, POINT point, UINT keys) {
  if (!Reachable(window)) return false;
  HWND target = Hit(window, &point);
  LPARAM at = MAKELPARAM(point.x, point.y);
  Deliver(target, WM_LBUTTONDOWN, MK_LBUTTON | keys, at);
  if (IsWindow(target)) Deliver(target, WM_LBUTTONUP, keys, at);
  if (IsWindow(target)) {
    Deliver(target, ClassHasDoubleClicks(target) ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN,
            MK_LBUTTON | keys, at);
  }
  if (IsWindow(target)) Deliver(target, WM_LBUTTONUP, keys, at);
  return true;
}

bool PickListItem(HWND list, int index, UINT keys) {
  return Reachable(list) && plat::controls::UserClickListItem(list, index, keys, false);
}

bool ScrollListTo(HWND list, int top) {
  if (!Reachable(list) || !plat::controls::ListBoxOf(list)) return false;
  return SendMessage(list, LB_SETTOPINDEX, (WPARAM)top, 0) != LB_ERR;
}

bool MoveFrame(HWND window, const RECT& rect) {
  if (!IsWindow(window) || (GetWindowLongPtr(window, GWL_STYLE) & WS_CHILD)) return false;
  return MoveWindow(window, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                    TRUE);
}

bool DoubleClickListItem(HWND list, int index) {
  return Reachable(list) && plat::controls::UserClickListItem(list, index, 0, true);
}

bool DropDown(HWND combo, bool open) {
  return Reachable(combo) && plat::controls::UserDropDown(combo, open);
}

bool PickComboItem(HWND combo, int index) {
  return Reachable(combo) && plat::controls::UserPickComboItem(combo, index);
}

bool FocusOn(HWND control) {
  if (!Reachable(control)) return false;
  if (GetFocus() != control) SetFocus(control);
  return GetFocus() == control;
}

bool Type(HWND control, const char* text) {
  if (!FocusOn(control)) return false;
  for (const char* p = text; *p && IsWindow(control); ++p)
    Deliver(control, WM_CHAR, (WPARAM)(unsigned char)*p, 1);
  return true;
}

bool ReplaceText(HWND control, const char* text) {
  if (!FocusOn(control)) return false;
  if (plat::controls::ComboBoxOf(control)) {
    SendMessage(control, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
  } else {
    SendMessage(control, EM_SETSEL, 0, -1);
  }
  if (!*text) {
    Deliver(control, WM_KEYDOWN, VK_DELETE, 1);
    if (IsWindow(control)) Deliver(control, WM_KEYUP, VK_DELETE, 1);
    return true;
  }
  return Type(control, text);
}

bool PressKey(int virtualKey, bool shift, char character) {
  HWND target = GetFocus();
  if (!target) target = GetActiveWindow();
  if (!target || !Reachable(target)) return false;
  plat::dialog::SetShiftDown(shift);
  LPARAM down = 1 | (LPARAM)(unsigned char)character << 16;
  Deliver(target, WM_KEYDOWN, (WPARAM)virtualKey, down);
  if (IsWindow(target)) Deliver(target, WM_KEYUP, (WPARAM)virtualKey, 1);
  plat::dialog::SetShiftDown(false);
  return true;
}

}  // namespace plat::gui
