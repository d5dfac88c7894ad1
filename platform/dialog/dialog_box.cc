// Modal dialog boxes: creation from a template, the nested loop, EndDialog.
// The loop takes every message of the thread; the dialog's go through
// IsDialogMessage, the rest are dispatched, so other windows keep their posted
// and sent messages and timers while a dialog is open.
#include <algorithm>

#include "dialog/dialog_state.h"
#include "gdi/font_metrics.h"
#include "gdi/gdi_objects.h"
#include "gui/display.h"
#include "platform/winbase.h"
#include "resource/program_resources.h"
#include "win/system_metrics.h"
#include "win/window_ops.h"
#include "win/window_table.h"

namespace plat::dialog {

namespace {

constexpr WPARAM kMsgfDialogBox = 0;  // MSGF_DIALOGBOX

// Win32 takes the owner's top-level ancestor.
HWND TopLevelOf(HWND hwnd) {
  plat::win::Window* w = plat::win::FindWindowRecord(hwnd);
  while (w && (w->style & WS_CHILD))
    w = plat::win::FindWindowRecord(w->parent);
  return w ? w->handle : nullptr;
}

RECT WindowRectFor(const DialogResource& t, DWORD style, HWND owner, int baseX, int baseY) {
  plat::win::Window probe;
  probe.style = style;
  RECT in = plat::win::NonClientInsets(probe);
  int width = MulDiv(t.cx, baseX, 4) + in.left + in.right;
  int height = MulDiv(t.cy, baseY, 8) + in.top + in.bottom;
  POINT at{MulDiv(t.x, baseX, 4), MulDiv(t.y, baseY, 8)};
  if (t.style & DS_CENTER) {
    at = POINT{(plat::win::kScreenWidth - width) / 2, (plat::win::kScreenHeight - height) / 2};
  } else if (owner && !(t.style & DS_ABSALIGN)) {
    ClientToScreen(owner, &at);
  }
  return RECT{at.x, at.y, at.x + width, at.y + height};
}

bool CreateItems(HWND dialog, HINSTANCE instance, const DialogResource& t, DialogInfo* info) {
  for (const DialogItemResource& item : t.items) {
    RECT r{MulDiv(item.x, info->baseX, 4), MulDiv(item.y, info->baseY, 8),
           MulDiv(item.x + item.cx, info->baseX, 4), MulDiv(item.y + item.cy, info->baseY, 8)};
    HWND control = CreateWindowEx(
        item.exStyle, item.className, item.text, (item.style | WS_CHILD) & ~WS_POPUP, r.left, r.top,
        r.right - r.left, r.bottom - r.top, dialog, (HMENU)(INT_PTR)item.id, instance, nullptr);
    if (!control) return false;
    if (info->font) SendMessage(control, WM_SETFONT, (WPARAM)info->font, FALSE);
    if (!info->defaultId && (SendMessage(control, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON))
      info->defaultId = item.id;
  }
  return true;
}

}  // namespace

HWND CreateFromTemplate(HINSTANCE instance, const DialogResource& t, HWND owner, DLGPROC proc,
                        LPARAM param, bool modal) {
  owner = TopLevelOf(owner);
  HWND disabledOwner = nullptr;
  if (modal && owner && IsWindowEnabled(owner)) {
    disabledOwner = owner;
    EnableWindow(owner, FALSE);
  }
  HFONT font = nullptr;
  if ((t.style & DS_SETFONT) && t.fontFace) {
    font = CreateFont(-MulDiv(t.pointSize, 96, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                      DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                      DEFAULT_PITCH | FF_DONTCARE, t.fontFace);
  }
  plat::gdi::FontMetrics metrics = plat::gdi::MetricsOf(plat::gdi::FontOf(font));
  int baseX = plat::gdi::BaseCharWidth(metrics), baseY = metrics.height;

  DWORD style = modal ? (t.style & ~(WS_VISIBLE | WS_CHILD)) : t.style & ~WS_VISIBLE;
  DWORD exStyle = t.exStyle | ((t.style & DS_MODALFRAME) ? WS_EX_DLGMODALFRAME : 0);
  RECT r = WindowRectFor(t, style, owner, baseX, baseY);
  HWND dialog =
      CreateWindowEx(exStyle, kDialogClass, t.caption ? t.caption : "", style, r.left, r.top,
                     r.right - r.left, r.bottom - r.top, owner, nullptr, instance, (LPVOID)param);
  DialogInfo* info = dialog ? MakeInfo(dialog) : nullptr;
  if (!info) {
    if (font) DeleteObject(font);
    if (disabledOwner) EnableWindow(disabledOwner, TRUE);
    return nullptr;
  }
  info->font = font;
  info->ownsFont = font != nullptr;
  info->baseX = baseX;
  info->baseY = baseY;
  info->disabledOwner = disabledOwner;
  SetWindowLongPtr(dialog, DWLP_DLGPROC, (LONG_PTR)proc);
  if (font) SendMessage(dialog, WM_SETFONT, (WPARAM)font, 0);
  if (!IsWindow(dialog) || !CreateItems(dialog, instance, t, InfoOf(dialog))) {
    if (IsWindow(dialog)) DestroyWindow(dialog);
    if (disabledOwner) EnableWindow(disabledOwner, TRUE);
    return nullptr;
  }
  HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
  if (SendMessage(dialog, WM_INITDIALOG, (WPARAM)first, param) && IsWindow(dialog)) {
    if ((first = GetNextDlgTabItem(dialog, nullptr, FALSE))) SetDialogFocus(first);
  }
  if (IsWindow(dialog) && (t.style & WS_VISIBLE) && !modal) ShowWindow(dialog, SW_SHOWNORMAL);
  return IsWindow(dialog) ? dialog : nullptr;
}

// The dialog shows when the queue first runs empty; WM_ENTERIDLE then goes
// to the owner and the display hears of the idle moment.
INT_PTR RunModal(HWND dialog) {
  HWND owner = GetWindow(dialog, GW_OWNER);
  // Kept here too: a dialog destroyed without EndDialog takes its record along.
  HWND disabledOwner = InfoOf(dialog) ? InfoOf(dialog)->disabledOwner : nullptr;
  plat::gui::Display& display = plat::gui::CurrentDisplay();
  display.ModalLoopEntered(dialog);
  bool shown = false;
  auto running = [&] { return IsWindow(dialog) && InfoOf(dialog) && !InfoOf(dialog)->ended; };
  while (running()) {
    MSG msg;
    if (!PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (!shown) {
        shown = true;
        ShowWindow(dialog, SW_SHOWNORMAL);
      }
      if (running() && owner && !(GetWindowLongPtr(dialog, GWL_STYLE) & DS_NOIDLEMSG))
        SendMessage(owner, WM_ENTERIDLE, kMsgfDialogBox, (LPARAM)dialog);
      if (running()) display.ModalLoopIdle(dialog);
      if (!running()) break;
      GetMessage(&msg, nullptr, 0, 0);
    }
    if (msg.message == WM_QUIT) {
      PostQuitMessage((int)msg.wParam);  // for the loop outside
      break;
    }
    if (!IsDialogMessage(dialog, &msg)) {
      TranslateMessage(&msg);
      DispatchMessage(&msg);
    }
  }
  DialogInfo* info = InfoOf(dialog);
  INT_PTR result = info && info->ended ? info->result : 0;
  if (info) {
    disabledOwner = info->disabledOwner;  // null once EndDialog gave the owner back
    info->disabledOwner = nullptr;
  }
  if (IsWindow(dialog)) DestroyWindow(dialog);
  if (disabledOwner && IsWindow(disabledOwner)) EnableWindow(disabledOwner, TRUE);
  display.ModalLoopLeft(dialog);
  return result;
}

INT_PTR DialogBoxIndirectParam(HINSTANCE instance, const DialogResource& t, HWND owner,
                               DLGPROC proc, LPARAM param) {
  HWND dialog = CreateFromTemplate(instance, t, owner, proc, param, true);
  return dialog ? RunModal(dialog) : -1;
}

}  // namespace plat::dialog

INT_PTR DialogBoxParam(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC proc,
                       LPARAM param) {
  const DialogResource* t = plat::res::FindDialog(templateName);
  if (!t) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return -1;
  }
  return plat::dialog::DialogBoxIndirectParam(instance, *t, owner, proc, param);
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
  plat::dialog::DialogInfo* info = plat::dialog::InfoOf(dialog);
  if (!info) return FALSE;
  info->result = result;
  info->ended = true;
  if (HWND owner = info->disabledOwner) {
    info->disabledOwner = nullptr;
    EnableWindow(owner, TRUE);
  }
  // Win32 moves the focus to the dialog itself, so the focused control hears
  // WM_KILLFOCUS (and its parent EN_KILLFOCUS or CBN_KILLFOCUS) now.
  if (IsChild(dialog, GetFocus())) SetFocus(dialog);
  if (IsWindow(dialog)) ShowWindow(dialog, SW_HIDE);
  PostMessage(dialog, WM_NULL, 0, 0);  // wakes the loop
  return TRUE;
}
