// DefDlgProc: the class procedure of dialog boxes. It calls the program's
// dialog procedure first; what that leaves unhandled (a FALSE return) gets the
// dialog manager's default; a handled message answers DWLP_MSGRESULT, except
// for the few messages whose answer is the dialog procedure's return itself.
#include "dialog/dialog_state.h"
#include "win/window_ops.h"

namespace plat::dialog {

namespace {

bool ReturnsProcResult(UINT message) {
  return (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) || message == WM_INITDIALOG;
}

LRESULT DefaultId(HWND dialog, DialogInfo* info) {
  if (info->defaultId) return MAKELONG(info->defaultId, DC_HASDEFID);
  for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (SendMessage(c, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON)
      return MAKELONG(GetDlgCtrlID(c), DC_HASDEFID);
  }
  return 0;
}

void SaveFocus(HWND dialog, DialogInfo* info) {
  HWND focus = GetFocus();
  if (focus && IsChild(dialog, focus)) info->savedFocus = focus;
}

void RestoreFocus(HWND dialog, DialogInfo* info, bool orFirst) {
  if (info->ended || IsIconic(dialog)) return;
  HWND target = info->savedFocus;
  if (!target || !IsChild(dialog, target) || !IsWindowEnabled(target)) {
    if (!orFirst) return;
    target = GetNextDlgTabItem(dialog, nullptr, FALSE);
  }
  if (target) SetDialogFocus(target);
}

LRESULT Default(HWND dialog, DialogInfo* info, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND: {
      HBRUSH brush = (HBRUSH)SendMessage(dialog, WM_CTLCOLORDLG, wParam, (LPARAM)dialog);
      if (!brush) brush = GetSysColorBrush(COLOR_BTNFACE);
      RECT client = plat::win::ClientRectOf(dialog);
      FillRect((HDC)wParam, &client, brush);
      return 1;
    }
    case WM_SHOWWINDOW:
      if (!wParam) SaveFocus(dialog, info);
      return DefWindowProc(dialog, message, wParam, lParam);
    case WM_ACTIVATE:
      if (LOWORD(wParam)) {
        RestoreFocus(dialog, info, false);
      } else {
        SaveFocus(dialog, info);
      }
      return 0;
    case WM_SETFOCUS:
      RestoreFocus(dialog, info, true);
      return 0;
    case DM_SETDEFID:
      info->defaultId = (int)wParam;
      return TRUE;
    case DM_GETDEFID:
      return DefaultId(dialog, info);
    case WM_NEXTDLGCTL: {
      HWND target =
          LOWORD(lParam) ? (HWND)wParam : GetNextDlgTabItem(dialog, GetFocus(), wParam != 0);
      if (target) SetDialogFocus(target);
      return 0;
    }
    case WM_GETFONT:
      return (LRESULT)info->font;
    case WM_CLOSE:
      PostMessage(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                  (LPARAM)GetDlgItem(dialog, IDCANCEL));
      return 0;
  }
  return DefWindowProc(dialog, message, wParam, lParam);
}

}  // namespace

}  // namespace plat::dialog

LRESULT DefDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  using namespace plat::dialog;
  MakeInfo(dialog);
  SetWindowLongPtr(dialog, DWLP_MSGRESULT, 0);
  DLGPROC proc = (DLGPROC)GetWindowLongPtr(dialog, DWLP_DLGPROC);
  INT_PTR result = proc ? proc(dialog, message, wParam, lParam) : FALSE;
  if (message == WM_NCDESTROY) {
    FreeInfo(dialog);
    return DefWindowProc(dialog, message, wParam, lParam);
  }
  if (!IsWindow(dialog)) return result;
  if (!result && message != WM_INITDIALOG)
    return Default(dialog, MakeInfo(dialog), message, wParam, lParam);
  if (ReturnsProcResult(message)) return result;
  return GetWindowLongPtr(dialog, DWLP_MSGRESULT);
}
