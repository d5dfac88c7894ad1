// The "Static" class: text, or an icon (SS_ICON; its text names the icon
// resource). Without SS_NOTIFY a static is transparent to the mouse, which
// then reaches the parent; with it, clicks become STN_CLICKED and STN_DBLCLK.
#include "controls/control_support.h"

namespace plat::controls {

namespace {


bool IsIcon(HWND hwnd) {
  return (Style(hwnd) & SS_TYPEMASK) == SS_ICON;
}

HICON IconNamed(HWND hwnd, LPCSTR name) {
  if (!name || (!IS_INTRESOURCE(name) && !*name)) return nullptr;
  return LoadIcon((HINSTANCE)GetWindowLongPtr(hwnd, GWL_HINSTANCE), name);
}

LRESULT StaticMessage(HWND hwnd, StaticState* s, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETTEXT: {
      LRESULT result = DefWindowProc(hwnd, message, wParam, lParam);
      if (IsIcon(hwnd)) s->icon = IconNamed(hwnd, (LPCSTR)lParam);
      Changed(hwnd);
      return result;
    }
    case STM_SETICON: {
      HICON previous = s->icon;
      s->icon = (HICON)wParam;
      Changed(hwnd);
      return (LRESULT)previous;
    }
    case STM_GETICON:
      return (LRESULT)s->icon;
    case WM_SETFONT:
      s->font = (HFONT)wParam;
      Changed(hwnd);
      return 0;
    case WM_GETFONT:
      return (LRESULT)s->font;
    case WM_GETDLGCODE:
      return DLGC_STATIC;
    case WM_LBUTTONDOWN:
      if (Style(hwnd) & SS_NOTIFY) Notify(hwnd, STN_CLICKED);
      return 0;
    case WM_LBUTTONDBLCLK:
      if (Style(hwnd) & SS_NOTIFY) Notify(hwnd, STN_DBLCLK);
      return 0;
  }
  return DefWindowProc(hwnd, message, wParam, lParam);
}

void InitStatic(HWND hwnd, StaticState* s, const CREATESTRUCT* cs) {
  if (cs && (cs->style & SS_TYPEMASK) == SS_ICON) s->icon = IconNamed(hwnd, cs->lpszName);
}

}  // namespace

LRESULT CALLBACK StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return StatefulProc<StaticState, kStaticTag, kStaticClass, InitStatic, StaticMessage>(
      hwnd, message, wParam, lParam);
}

}  // namespace plat::controls
