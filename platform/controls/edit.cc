// The "Edit" class, single line: the text is the window text; a person types
// through WM_CHAR (backspace included) and WM_KEYDOWN (Delete, arrows). Every
// change of the text, WM_SETTEXT too, notifies EN_UPDATE then EN_CHANGE. The
// limit, and without ES_AUTOHSCROLL the control's width, bind only typing.
#include <algorithm>

#include "controls/control_support.h"
#include "win/window_ops.h"

namespace plat::controls {

namespace {


LineEdit LineOf(HWND hwnd, EditState* s, std::string* text) {
  RECT client = plat::win::ClientRectOf(hwnd);
  return LineEdit{text,        &s->selStart,          &s->selEnd,        s->limit,
                  Style(hwnd), (int)client.right - 2, MetricsOf(s->font)};
}

void NotifyChange(HWND hwnd) {
  Changed(hwnd);
  Notify(hwnd, EN_UPDATE);
  if (IsWindow(hwnd)) Notify(hwnd, EN_CHANGE);
}

void AfterTyping(HWND hwnd, EditState* s, LineEdit::Result result, const std::string& text) {
  if (result == LineEdit::kFull) {
    Notify(hwnd, EN_MAXTEXT);
    return;
  }
  if (result != LineEdit::kChanged) return;
  s->modified = true;
  StoreText(hwnd, text);
  NotifyChange(hwnd);
}

void MoveCaret(HWND hwnd, EditState* s, WPARAM key) {
  DWORD length = (DWORD)TextOf(hwnd).size();
  DWORD caret = s->selEnd;
  switch (key) {
    case VK_LEFT:
      caret = caret > 0 ? caret - 1 : 0;
      break;
    case VK_RIGHT:
      caret = std::min(caret + 1, length);
      break;
    default:
      return;
  }
  s->selStart = s->selEnd = caret;
  Changed(hwnd);
}

LRESULT EditMessage(HWND hwnd, EditState* s, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETTEXT:
      StoreText(hwnd, lParam ? (const char*)lParam : "");
      s->selStart = s->selEnd = 0;
      s->modified = false;
      NotifyChange(hwnd);
      return TRUE;
    case WM_CHAR: {
      std::string text = TextOf(hwnd);
      AfterTyping(hwnd, s, LineOf(hwnd, s, &text).Type((char)wParam), text);
      return 0;
    }
    case WM_KEYDOWN:
      if (wParam == VK_DELETE) {
        std::string text = TextOf(hwnd);
        AfterTyping(hwnd, s, LineOf(hwnd, s, &text).DeleteForward(), text);
      } else {
        MoveCaret(hwnd, s, wParam);
      }
      return 0;
    case EM_SETSEL: {
      std::string text = TextOf(hwnd);
      LineOf(hwnd, s, &text).SetSelection((int)(INT_PTR)wParam, (int)lParam);
      Changed(hwnd);
      return 0;
    }
    case EM_GETSEL:
      if (wParam) *(DWORD*)wParam = s->selStart;
      if (lParam) *(DWORD*)lParam = s->selEnd;
      return MAKELRESULT(s->selStart, s->selEnd);
    case EM_LIMITTEXT:
      s->limit = wParam ? (UINT)wParam : kMaxTextLimit;
      return 0;
    case EM_GETLIMITTEXT:
      return s->limit;
    case EM_GETMODIFY:
      return s->modified;
    case EM_SETMODIFY:
      s->modified = wParam != 0;
      return 0;
    case WM_SETFONT:
      s->font = (HFONT)wParam;
      Changed(hwnd);
      return 0;
    case WM_GETFONT:
      return (LRESULT)s->font;
    case WM_GETDLGCODE:
      return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    case WM_LBUTTONDOWN:
      SetFocus(hwnd);
      return 0;
    case WM_SETFOCUS:
      Changed(hwnd);
      Notify(hwnd, EN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      Changed(hwnd);
      Notify(hwnd, EN_KILLFOCUS);
      return 0;
  }
  return DefWindowProc(hwnd, message, wParam, lParam);
}

void InitEdit(HWND, EditState* s, const CREATESTRUCT*) {
  s->limit = kDefaultTextLimit;
}

}  // namespace

LRESULT CALLBACK EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return StatefulProc<EditState, kEditTag, kEditClass, InitEdit, EditMessage>(hwnd, message, wParam,
                                                                              lParam);
}

}  // namespace plat::controls
