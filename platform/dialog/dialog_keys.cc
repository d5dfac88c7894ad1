// Keyboard navigation of dialogs: IsDialogMessage and the tab and group order.
// Order is creation order; Tab visits visible, enabled WS_TABSTOP controls and
// wraps round; Enter presses the focused push button, else the default button
// (nothing when that one is disabled), else IDOK; Escape is IDCANCEL.
#include <vector>

#include "dialog/dialog_state.h"

namespace {

// The control's own state: a dialog's controls are tab stops before it shows.
bool Takes(HWND control) {
  return (GetWindowLongPtr(control, GWL_STYLE) & (WS_VISIBLE | WS_DISABLED)) == WS_VISIBLE;
}

LONG_PTR StyleOf(HWND control) {
  return GetWindowLongPtr(control, GWL_STYLE);
}

std::vector<HWND> Children(HWND dialog) {
  std::vector<HWND> children;
  for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    children.push_back(c);
  return children;
}

void PressEnter(HWND dialog) {
  HWND focus = GetFocus();
  if (focus && IsChild(dialog, focus) &&
      (SendMessage(focus, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
    SendMessage(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(focus), BN_CLICKED), (LPARAM)focus);
    return;
  }
  DWORD id = (DWORD)SendMessage(dialog, DM_GETDEFID, 0, 0);
  if (HIWORD(id) == DC_HASDEFID) {
    HWND button = GetDlgItem(dialog, LOWORD(id));
    if (!button || IsWindowEnabled(button))
      SendMessage(dialog, WM_COMMAND, MAKEWPARAM(LOWORD(id), BN_CLICKED), (LPARAM)button);
    return;
  }
  SendMessage(dialog, WM_COMMAND, IDOK, (LPARAM)GetDlgItem(dialog, IDOK));
}

}  // namespace

// From a null control the search starts past the last (or before the first)
// control; the control itself comes last, so a lone tab stop finds itself.
HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous) {
  if (control && !IsChild(dialog, control)) return nullptr;
  std::vector<HWND> children = Children(dialog);
  int n = (int)children.size();
  int at = previous ? 0 : n - 1;
  for (int i = 0; control && i < n; ++i) {
    if (children[(size_t)i] == control) at = i;
  }
  for (int k = 1; k <= n; ++k) {
    HWND c = children[(size_t)(((at + (previous ? -k : k)) % n + n) % n)];
    if ((StyleOf(c) & WS_TABSTOP) && Takes(c)) return c;
  }
  return nullptr;
}

HWND GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous) {
  if (!control || !IsChild(dialog, control)) return nullptr;
  // The group: from the nearest WS_GROUP control at or before `control` to the next.
  HWND start = control;
  while (!(StyleOf(start) & WS_GROUP) && GetWindow(start, GW_HWNDPREV))
    start = GetWindow(start, GW_HWNDPREV);
  std::vector<HWND> group;
  for (HWND c = start; c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (c != start && (StyleOf(c) & WS_GROUP)) break;
    group.push_back(c);
  }
  size_t at = 0;
  while (group[at] != control)
    ++at;
  for (size_t k = 1; k < group.size(); ++k) {
    size_t i = previous ? (at + group.size() - k) % group.size() : (at + k) % group.size();
    if (Takes(group[i])) return group[i];
  }
  return control;
}

BOOL IsDialogMessage(HWND dialog, LPMSG msg) {
  if (!dialog || !msg || !IsWindow(dialog)) return FALSE;
  if (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd)) return FALSE;
  if (msg->message == WM_KEYDOWN) {
    LRESULT code = SendMessage(msg->hwnd, WM_GETDLGCODE, msg->wParam, (LPARAM)msg);
    if (!(code & DLGC_WANTMESSAGE)) {
      switch (msg->wParam) {
        case VK_TAB:
          if (code & DLGC_WANTTAB) break;
          SendMessage(dialog, WM_NEXTDLGCTL, plat::dialog::ShiftDown(), 0);
          return TRUE;
        case VK_RETURN:
          PressEnter(dialog);
          return TRUE;
        case VK_ESCAPE:
          SendMessage(dialog, WM_COMMAND, IDCANCEL, (LPARAM)GetDlgItem(dialog, IDCANCEL));
          return TRUE;
      }
    }
  }
  TranslateMessage(msg);
  DispatchMessage(msg);
  return TRUE;
}
