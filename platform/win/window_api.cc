// Window classes and windows: creation and destruction with Win32's message
// sequence, visibility, activation, geometry, text, window words and the update
// region that drives WM_PAINT.
#include <string.h>
#include <strings.h>

#include <algorithm>

#include "gui/display.h"
#include "platform/winbase.h"
#include "platform/winuser.h"
#include "win/message_queue.h"
#include "win/remote_windows.h"
#include "win/system_metrics.h"
#include "win/window_ops.h"
#include "win/window_table.h"

using plat::win::FindWindowRecord;
using plat::win::Window;

namespace {

constexpr int kErrorInvalidIndex = 1413;  // ERROR_INVALID_INDEX

HWND activeWindow = nullptr;
int cascade = 0;

Window* Lookup(HWND hwnd) {
  Window* w = FindWindowRecord(hwnd);
  if (!w) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return w;
}

bool IsTopLevel(const Window& w) {
  return !(w.style & WS_CHILD);
}

LONG Width(const RECT& r) {
  return r.right - r.left;
}
LONG Height(const RECT& r) {
  return r.bottom - r.top;
}

RECT ClientRectOf(const Window& w) {
  RECT in = plat::win::NonClientInsets(w);
  RECT c{0, 0, Width(w.rect) - in.left - in.right, Height(w.rect) - in.top - in.bottom};
  c.right = std::max<LONG>(c.right, 0);
  c.bottom = std::max<LONG>(c.bottom, 0);
  return c;
}

void NotifyChanged(HWND hwnd) {
  plat::gui::CurrentDisplay().WindowChanged(hwnd);
}

void SendSize(HWND hwnd, WPARAM kind) {
  Window* w = FindWindowRecord(hwnd);
  if (!w) return;
  RECT c = kind == SIZE_MINIMIZED ? RECT{0, 0, 0, 0} : ClientRectOf(*w);
  SendMessage(hwnd, WM_SIZE, kind, MAKELPARAM(c.right, c.bottom));
}

void Activate(HWND hwnd) {
  if (hwnd == activeWindow) return;
  HWND previous = activeWindow;
  activeWindow = hwnd;
  if (previous && IsWindow(previous)) SendMessage(previous, WM_ACTIVATE, 0, (LPARAM)hwnd);
  if (Window* w = FindWindowRecord(hwnd)) {
    if (Window* owner = FindWindowRecord(w->owner)) owner->lastActivePopup = hwnd;
    SendMessage(hwnd, WM_ACTIVATE, 1, (LPARAM)previous);
    plat::gui::CurrentDisplay().WindowActivated(hwnd);
  }
}

// Win32 gives the activation back to the owner when the active window goes away.
void Deactivate(const Window& w) {
  if (activeWindow != w.handle) return;
  activeWindow = nullptr;
  if (w.owner && IsWindowVisible(w.owner)) Activate(w.owner);
}

void DestroyTree(Window* w) {
  HWND hwnd = w->handle;
  w->destroying = true;
  for (HWND other : plat::win::TopLevelWindows()) {
    Window* o = FindWindowRecord(other);
    if (o && o->owner == hwnd) DestroyWindow(other);
  }
  if ((w = FindWindowRecord(hwnd)) == nullptr) return;
  w->style &= ~WS_VISIBLE;
  plat::win::DropFocus(hwnd);
  Deactivate(*w);
  SendMessage(hwnd, WM_DESTROY, 0, 0);
  if ((w = FindWindowRecord(hwnd)) == nullptr) return;
  std::vector<HWND> children = w->children;
  for (HWND child : children) {
    if (Window* c = FindWindowRecord(child); c && !c->destroying) DestroyTree(c);
  }
  SendMessage(hwnd, WM_NCDESTROY, 0, 0);
  if ((w = FindWindowRecord(hwnd)) == nullptr) return;

  if (Window* parent = FindWindowRecord(w->parent)) std::erase(parent->children, hwnd);
  plat::win::TheQueue().KillTimersOf(hwnd);
  plat::win::TheQueue().MarkValid(hwnd);
  if (IsTopLevel(*w)) {
    if (auto* remote = plat::win::Remote()) remote->Withdraw(hwnd);
    if (w->menu && plat::win::Hooks().destroyMenu) plat::win::Hooks().destroyMenu(w->menu);
  }
  if (plat::win::Hooks().windowDestroyed) plat::win::Hooks().windowDestroyed(hwnd);
  plat::gui::CurrentDisplay().WindowDestroyed(hwnd);
  w->cls->windows--;
  plat::win::FreeWindowRecord(w);
}

void DefaultPlacement(const Window& w, int* x, int* y, int* width, int* height) {
  if (*x == CW_USEDEFAULT) {
    if (IsTopLevel(w)) {
      *x = 24 * (cascade % 8) + 24;
      *y = 24 * (cascade % 8) + 24;
      cascade++;
    } else {
      *x = *y = 0;
    }
  }
  if (*width == CW_USEDEFAULT) {
    *width = IsTopLevel(w) ? plat::win::kScreenWidth * 3 / 4 : 0;
    *height = IsTopLevel(w) ? plat::win::kScreenHeight * 3 / 4 : 0;
  }
}

}  // namespace

ATOM RegisterClass(const WNDCLASS* wc) {
  if (!wc || !wc->lpszClassName || !wc->lpfnWndProc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (plat::win::FindClass(wc->lpszClassName)) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  plat::win::AddClass(*wc, false);
  static ATOM next = 0xC000;
  return next++;
}

BOOL UnregisterClass(LPCSTR className, HINSTANCE) {
  if (!plat::win::FindClass(className)) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  if (!plat::win::RemoveClass(className)) {
    SetLastError(ERROR_ACCESS_DENIED);  // Win32's answer while windows of the class exist
    return FALSE;
  }
  return TRUE;
}

BOOL GetClassInfo(HINSTANCE, LPCSTR className, WNDCLASS* wc) {
  plat::win::WindowClass* c = plat::win::FindClass(className);
  if (!c) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  *wc = c->wc;
  return TRUE;
}

int GetClassName(HWND hwnd, LPSTR buffer, int size) {
  Window* w = Lookup(hwnd);
  if (!w || size <= 0) return 0;
  int n = std::min<int>((int)w->cls->name.size(), size - 1);
  memcpy(buffer, w->cls->name.data(), n);
  buffer[n] = 0;
  return n;
}

HWND CreateWindowEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                    int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                    LPVOID param) {
  plat::win::WindowClass* cls = plat::win::FindClass(className);
  if (!cls) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  if ((style & WS_CHILD) && !FindWindowRecord(parent)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  Window* w = plat::win::NewWindowRecord();
  if (!w) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  HWND hwnd = w->handle;
  w->cls = cls;
  cls->windows++;
  w->proc = cls->wc.lpfnWndProc;
  w->style = style & ~WS_VISIBLE;  // made visible below, with its messages
  w->exStyle = exStyle;
  w->instance = instance;
  // An integer name (an SS_ICON static's icon id) is for the window procedure only.
  w->text = windowName && !IS_INTRESOURCE(windowName) ? windowName : "";
  w->extra.assign(cls->wc.cbWndExtra > 0 ? (size_t)cls->wc.cbWndExtra : 0, 0);
  if (style & WS_CHILD) {
    w->parent = parent;
    w->id = (UINT_PTR)menu;
    FindWindowRecord(parent)->children.push_back(hwnd);
  } else {
    w->owner = FindWindowRecord(parent) ? parent : nullptr;
    w->menu = menu;
    if (!menu && cls->wc.lpszMenuName && plat::win::Hooks().loadClassMenu)
      w->menu = plat::win::Hooks().loadClassMenu(instance, cls->wc.lpszMenuName);
  }
  DefaultPlacement(*w, &x, &y, &width, &height);
  w->rect = RECT{x, y, x + std::max(width, 0), y + std::max(height, 0)};
  plat::gui::CurrentDisplay().WindowCreated(hwnd);

  CREATESTRUCT cs{param, instance, menu,        parent,     height,    width,
                  y,     x,        (LONG)style, windowName, className, exStyle};
  if (!(style & WS_CHILD) && (style & (WS_THICKFRAME | WS_CAPTION))) {
    MINMAXINFO mmi{};
    mmi.ptMaxSize = POINT{plat::win::kScreenWidth, plat::win::kScreenHeight};
    mmi.ptMaxTrackSize = mmi.ptMaxSize;
    SendMessage(hwnd, WM_GETMINMAXINFO, 0, (LPARAM)&mmi);
  }
  if (!SendMessage(hwnd, WM_NCCREATE, 0, (LPARAM)&cs) ||
      SendMessage(hwnd, WM_CREATE, 0, (LPARAM)&cs) == -1) {
    if (FindWindowRecord(hwnd)) DestroyWindow(hwnd);
    return nullptr;
  }
  if (!FindWindowRecord(hwnd)) return nullptr;
  SendSize(hwnd, SIZE_RESTORED);
  SendMessage(hwnd, WM_MOVE, 0, MAKELPARAM(x, y));
  if (IsTopLevel(*FindWindowRecord(hwnd))) {
    if (auto* remote = plat::win::Remote()) remote->Publish(hwnd, cls->name.c_str());
  }
  if (style & WS_VISIBLE) ShowWindow(hwnd, (style & WS_MINIMIZE) ? SW_SHOWMINIMIZED : SW_SHOW);
  return hwnd;
}

BOOL DestroyWindow(HWND hwnd) {
  Window* w = Lookup(hwnd);
  if (!w || w->destroying) return FALSE;
  DestroyTree(w);
  return TRUE;
}

BOOL IsWindow(HWND hwnd) {
  if (FindWindowRecord(hwnd)) return TRUE;
  if (!hwnd || plat::win::IsLocalHandle(hwnd)) return FALSE;
  auto* remote = plat::win::Remote();
  return remote && remote->Exists(hwnd);
}

BOOL IsChild(HWND parent, HWND hwnd) {
  Window* w = FindWindowRecord(hwnd);
  while (w && (w->style & WS_CHILD)) {
    if (w->parent == parent) return TRUE;
    w = FindWindowRecord(w->parent);
  }
  return FALSE;
}

HWND GetParent(HWND hwnd) {
  Window* w = Lookup(hwnd);
  if (!w) return nullptr;
  return (w->style & WS_CHILD) ? w->parent : w->owner;
}

HWND GetWindow(HWND hwnd, UINT relation) {
  Window* w = Lookup(hwnd);
  if (!w) return nullptr;
  if (relation == GW_OWNER) return w->owner;
  if (relation == GW_CHILD) return w->children.empty() ? nullptr : w->children.front();
  Window* parent = FindWindowRecord(w->parent);
  if (!parent) return nullptr;
  const std::vector<HWND>& siblings = parent->children;
  auto it = std::find(siblings.begin(), siblings.end(), hwnd);
  switch (relation) {
    case GW_HWNDFIRST:
      return siblings.front();
    case GW_HWNDLAST:
      return siblings.back();
    case GW_HWNDNEXT:
      return (it + 1 < siblings.end()) ? *(it + 1) : nullptr;
    case GW_HWNDPREV:
      return it > siblings.begin() ? *(it - 1) : nullptr;
  }
  return nullptr;
}

HWND FindWindow(LPCSTR className, LPCSTR windowName) {
  for (HWND hwnd : plat::win::TopLevelWindows()) {
    Window* w = FindWindowRecord(hwnd);
    if (className && strcasecmp(w->cls->name.c_str(), className) != 0) continue;
    if (windowName && w->text != windowName) continue;
    return hwnd;
  }
  auto* remote = plat::win::Remote();
  return remote ? remote->Find(className, windowName) : nullptr;
}

BOOL ShowWindow(HWND hwnd, int command) {
  Window* w = Lookup(hwnd);
  if (!w) return FALSE;
  bool wasVisible = w->style & WS_VISIBLE;
  bool wasIconic = w->style & WS_MINIMIZE;
  bool show = command != SW_HIDE;
  bool minimise =
      command == SW_SHOWMINIMIZED || command == SW_MINIMIZE || command == SW_SHOWMINNOACTIVE;
  bool restore = command == SW_SHOWNORMAL || command == SW_RESTORE ||
                 command == SW_SHOWNOACTIVATE || command == SW_SHOWMAXIMIZED;
  bool activate = command == SW_SHOWNORMAL || command == SW_SHOW || command == SW_RESTORE ||
                  command == SW_SHOWMINIMIZED || command == SW_SHOWMAXIMIZED;

  if (show != wasVisible) SendMessage(hwnd, WM_SHOWWINDOW, show, 0);
  if (!(w = FindWindowRecord(hwnd))) return wasVisible;
  if (show) {
    w->style |= WS_VISIBLE;
  } else {
    w->style &= ~WS_VISIBLE;
    HWND focus = GetFocus();
    if (focus == hwnd || IsChild(hwnd, focus)) SetFocus(IsTopLevel(*w) ? nullptr : w->parent);
    if (!(w = FindWindowRecord(hwnd))) return wasVisible;
    Deactivate(*w);
  }
  if (minimise && !wasIconic) {
    w->style |= WS_MINIMIZE;
    SendSize(hwnd, SIZE_MINIMIZED);
  } else if (restore && wasIconic) {
    w->style &= ~WS_MINIMIZE;
    SendSize(hwnd, SIZE_RESTORED);
  }
  if (show && (!wasVisible || (restore && wasIconic))) InvalidateRect(hwnd, nullptr, TRUE);
  if (activate && IsTopLevel(*w)) Activate(hwnd);
  NotifyChanged(hwnd);
  return wasVisible;
}

BOOL IsWindowVisible(HWND hwnd) {
  Window* w = FindWindowRecord(hwnd);
  while (w) {
    if (!(w->style & WS_VISIBLE)) return FALSE;
    if (!(w->style & WS_CHILD)) return TRUE;
    w = FindWindowRecord(w->parent);
  }
  return FALSE;
}

BOOL IsIconic(HWND hwnd) {
  Window* w = FindWindowRecord(hwnd);
  return w && (w->style & WS_MINIMIZE) ? TRUE : FALSE;
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
  Window* w = Lookup(hwnd);
  if (!w) return FALSE;
  BOOL wasDisabled = (w->style & WS_DISABLED) ? TRUE : FALSE;
  if ((enable != FALSE) == (wasDisabled != FALSE)) {  // the state changes
    if (enable) {
      w->style &= ~WS_DISABLED;
    } else {
      w->style |= WS_DISABLED;
      if (GetFocus() == hwnd) SetFocus(nullptr);  // a disabled window can't keep the focus
    }
    SendMessage(hwnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
    InvalidateRect(hwnd, nullptr, TRUE);
    NotifyChanged(hwnd);
  }
  return wasDisabled;
}

BOOL IsWindowEnabled(HWND hwnd) {
  Window* w = FindWindowRecord(hwnd);
  return w && !(w->style & WS_DISABLED) ? TRUE : FALSE;
}

BOOL SetWindowText(HWND hwnd, LPCSTR text) {
  return (BOOL)SendMessage(hwnd, WM_SETTEXT, 0, (LPARAM)(text ? text : ""));
}

int GetWindowText(HWND hwnd, LPSTR buffer, int size) {
  if (!buffer || size <= 0) return 0;
  buffer[0] = 0;
  return (int)SendMessage(hwnd, WM_GETTEXT, (WPARAM)size, (LPARAM)buffer);
}

int GetWindowTextLength(HWND hwnd) {
  return (int)SendMessage(hwnd, WM_GETTEXTLENGTH, 0, 0);
}

LONG_PTR GetWindowLongPtr(HWND hwnd, int index) {
  Window* w = Lookup(hwnd);
  if (!w) return 0;
  switch (index) {
    case GWL_WNDPROC:
      return (LONG_PTR)w->proc;
    case GWL_HINSTANCE:
      return (LONG_PTR)w->instance;
    case GWL_HWNDPARENT:
      return (LONG_PTR)((w->style & WS_CHILD) ? w->parent : w->owner);
    case GWL_ID:
      return (LONG_PTR)w->id;
    case GWL_STYLE:
      return (LONG_PTR)(DWORD)w->style;
    case GWL_EXSTYLE:
      return (LONG_PTR)(DWORD)w->exStyle;
    case GWL_USERDATA:
      return w->userData;
  }
  if (index < 0 || (size_t)index + sizeof(LONG_PTR) > w->extra.size()) {
    SetLastError(kErrorInvalidIndex);
    return 0;
  }
  LONG_PTR value;
  memcpy(&value, w->extra.data() + index, sizeof value);
  return value;
}

LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value) {
  Window* w = Lookup(hwnd);
  if (!w) return 0;
  LONG_PTR old = GetWindowLongPtr(hwnd, index);
  switch (index) {
    case GWL_WNDPROC:
      w->proc = (WNDPROC)value;
      return old;
    case GWL_HINSTANCE:
      w->instance = (HINSTANCE)value;
      return old;
    case GWL_ID:
      w->id = (UINT_PTR)value;
      return old;
    case GWL_STYLE:
      w->style = (DWORD)value;
      NotifyChanged(hwnd);
      return old;
    case GWL_EXSTYLE:
      w->exStyle = (DWORD)value;
      return old;
    case GWL_USERDATA:
      w->userData = value;
      return old;
    case GWL_HWNDPARENT:
      return 0;
  }
  if (index < 0 || (size_t)index + sizeof(LONG_PTR) > w->extra.size()) {
    SetLastError(kErrorInvalidIndex);
    return 0;
  }
  memcpy(w->extra.data() + index, &value, sizeof value);
  return old;
}

namespace {

template <typename T>
bool ExtraSlot(HWND hwnd, int index, T** slot) {
  Window* w = Lookup(hwnd);
  if (!w) return false;
  if (index < 0 || (size_t)index + sizeof(T) > w->extra.size()) {
    SetLastError(kErrorInvalidIndex);
    return false;
  }
  *slot = reinterpret_cast<T*>(w->extra.data() + index);
  return true;
}

}  // namespace

LONG GetWindowLong(HWND hwnd, int index) {
  if (index < 0) return (LONG)GetWindowLongPtr(hwnd, index);
  LONG* slot;
  if (!ExtraSlot(hwnd, index, &slot)) return 0;
  LONG value;
  memcpy(&value, slot, sizeof value);
  return value;
}

LONG SetWindowLong(HWND hwnd, int index, LONG value) {
  if (index < 0) return (LONG)SetWindowLongPtr(hwnd, index, value);
  LONG* slot;
  if (!ExtraSlot(hwnd, index, &slot)) return 0;
  LONG old;
  memcpy(&old, slot, sizeof old);
  memcpy(slot, &value, sizeof value);
  return old;
}

WORD GetWindowWord(HWND hwnd, int index) {
  WORD* slot;
  if (!ExtraSlot(hwnd, index, &slot)) return 0;
  WORD value;
  memcpy(&value, slot, sizeof value);
  return value;
}

WORD SetWindowWord(HWND hwnd, int index, WORD value) {
  WORD* slot;
  if (!ExtraSlot(hwnd, index, &slot)) return 0;
  WORD old;
  memcpy(&old, slot, sizeof old);
  memcpy(slot, &value, sizeof value);
  return old;
}

int GetDlgCtrlID(HWND hwnd) {
  Window* w = Lookup(hwnd);
  return w && (w->style & WS_CHILD) ? (int)w->id : 0;
}

HWND GetActiveWindow() {
  return activeWindow;
}

HWND SetActiveWindow(HWND hwnd) {
  HWND previous = activeWindow;
  Window* w = Lookup(hwnd);
  if (w && IsTopLevel(*w)) Activate(hwnd);
  return previous;
}

BOOL SetForegroundWindow(HWND hwnd) {
  if (FindWindowRecord(hwnd)) {
    SetActiveWindow(hwnd);
    return TRUE;
  }
  auto* remote = plat::win::Remote();
  return remote && !plat::win::IsLocalHandle(hwnd) ? remote->Activate(hwnd) : FALSE;
}

BOOL BringWindowToTop(HWND hwnd) {
  return SetForegroundWindow(hwnd);
}

HWND GetLastActivePopup(HWND hwnd) {
  Window* w = FindWindowRecord(hwnd);
  if (!w) return hwnd;
  Window* popup = FindWindowRecord(w->lastActivePopup);
  return popup && popup->owner == hwnd && IsWindowVisible(popup->handle) ? popup->handle : hwnd;
}

BOOL GetWindowRect(HWND hwnd, LPRECT rect) {
  Window* w = Lookup(hwnd);
  if (!w || !rect) return FALSE;
  *rect = w->rect;
  if (w->style & WS_CHILD) {
    POINT origin{0, 0};
    ClientToScreen(w->parent, &origin);
    rect->left += origin.x;
    rect->right += origin.x;
    rect->top += origin.y;
    rect->bottom += origin.y;
  }
  return TRUE;
}

BOOL GetClientRect(HWND hwnd, LPRECT rect) {
  Window* w = Lookup(hwnd);
  if (!w || !rect) return FALSE;
  *rect = ClientRectOf(*w);
  return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
  Window* w = Lookup(hwnd);
  if (!w) return FALSE;
  RECT old = w->rect;
  w->rect = RECT{x, y, x + std::max(width, 0), y + std::max(height, 0)};
  bool moved = old.left != w->rect.left || old.top != w->rect.top;
  bool sized = Width(old) != Width(w->rect) || Height(old) != Height(w->rect);
  if (sized && !IsIconic(hwnd)) SendSize(hwnd, SIZE_RESTORED);
  if (moved) SendMessage(hwnd, WM_MOVE, 0, MAKELPARAM(x, y));
  if (repaint && (moved || sized)) InvalidateRect(hwnd, nullptr, TRUE);
  NotifyChanged(hwnd);
  return TRUE;
}

BOOL SetWindowPos(HWND hwnd, HWND, int x, int y, int cx, int cy, UINT flags) {
  Window* w = Lookup(hwnd);
  if (!w) return FALSE;
  if (flags & SWP_NOMOVE) {
    x = w->rect.left;
    y = w->rect.top;
  }
  if (flags & SWP_NOSIZE) {
    cx = Width(w->rect);
    cy = Height(w->rect);
  }
  MoveWindow(hwnd, x, y, cx, cy, TRUE);
  if (flags & SWP_SHOWWINDOW) ShowWindow(hwnd, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
  if (flags & SWP_HIDEWINDOW) ShowWindow(hwnd, SW_HIDE);
  return TRUE;
}

BOOL ClientToScreen(HWND hwnd, LPPOINT point) {
  Window* w = Lookup(hwnd);
  if (!w || !point) return FALSE;
  RECT c = plat::win::ClientRectOnScreen(hwnd);
  point->x += c.left;
  point->y += c.top;
  return TRUE;
}

BOOL ScreenToClient(HWND hwnd, LPPOINT point) {
  Window* w = Lookup(hwnd);
  if (!w || !point) return FALSE;
  RECT c = plat::win::ClientRectOnScreen(hwnd);
  point->x -= c.left;
  point->y -= c.top;
  return TRUE;
}

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
  if (!hwnd) {
    for (HWND top : plat::win::TopLevelWindows())
      InvalidateRect(top, rect, erase);
    return TRUE;
  }
  Window* w = Lookup(hwnd);
  if (!w) return FALSE;
  RECT client = ClientRectOf(*w);
  RECT r = rect ? *rect : client;
  r.left = std::max(r.left, client.left);
  r.top = std::max(r.top, client.top);
  r.right = std::min(r.right, client.right);
  r.bottom = std::min(r.bottom, client.bottom);
  if (r.left >= r.right || r.top >= r.bottom) return TRUE;  // nothing of the client area
  if (w->invalid) {
    w->update.left = std::min(w->update.left, r.left);
    w->update.top = std::min(w->update.top, r.top);
    w->update.right = std::max(w->update.right, r.right);
    w->update.bottom = std::max(w->update.bottom, r.bottom);
  } else {
    w->update = r;
    w->invalid = true;
  }
  if (erase) w->erase = true;
  plat::win::TheQueue().MarkInvalid(hwnd);
  plat::gui::CurrentDisplay().WindowInvalidated(hwnd);
  return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT* rect) {
  Window* w = Lookup(hwnd);
  if (!w) return FALSE;
  // The update region is one rectangle: only a rectangle that covers it all empties it.
  bool covers = !rect || (rect->left <= w->update.left && rect->top <= w->update.top &&
                          rect->right >= w->update.right && rect->bottom >= w->update.bottom);
  if (w->invalid && covers) {
    w->invalid = false;
    w->erase = false;
    w->update = RECT{0, 0, 0, 0};
    plat::win::TheQueue().MarkValid(hwnd);
  }
  return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, LPRECT rect, BOOL) {
  Window* w = Lookup(hwnd);
  if (!w) return FALSE;
  if (rect) *rect = w->invalid ? w->update : RECT{0, 0, 0, 0};
  return w->invalid ? TRUE : FALSE;
}

BOOL UpdateWindow(HWND hwnd) {
  Window* w = Lookup(hwnd);
  if (!w) return FALSE;
  if (w->invalid && IsWindowVisible(hwnd) && !IsIconic(hwnd)) SendMessage(hwnd, WM_PAINT, 0, 0);
  return TRUE;
}

namespace plat::win {

void UserRestore(HWND hwnd) {
  if (IsIconic(hwnd) && SendMessage(hwnd, WM_QUERYOPEN, 0, 0)) ShowWindow(hwnd, SW_RESTORE);
}

void UserClose(HWND hwnd) {
  SendMessage(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
}

RECT ClientRectOf(HWND hwnd) {
  Window* w = FindWindowRecord(hwnd);
  return w ? ::ClientRectOf(*w) : RECT{0, 0, 0, 0};
}

RECT ClientRectOnScreen(HWND hwnd) {
  Window* w = FindWindowRecord(hwnd);
  if (!w) return RECT{0, 0, 0, 0};
  RECT in = NonClientInsets(*w);
  RECT c = ::ClientRectOf(*w);
  POINT origin{w->rect.left + in.left, w->rect.top + in.top};
  if (w->style & WS_CHILD) {
    RECT parent = ClientRectOnScreen(w->parent);
    origin.x += parent.left;
    origin.y += parent.top;
  }
  return RECT{origin.x, origin.y, origin.x + c.right, origin.y + c.bottom};
}

}  // namespace plat::win
