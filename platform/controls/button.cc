// The "Button" class: push buttons, check boxes, radio buttons, group boxes.
// A click is WM_LBUTTONDOWN (focus, pushed) then WM_LBUTTONUP: an automatic
// check box or radio button changes state first, then the parent gets
// BN_CLICKED.
#include <algorithm>

#include "controls/control_support.h"

namespace plat::controls {

namespace {

ButtonState* StateOfButton(HWND hwnd) {
  return Mutable<ButtonState>(hwnd, kButtonClass, kButtonTag);
}

DWORD Kind(HWND hwnd) {
  return Style(hwnd) & BS_TYPEMASK;
}

bool Checkable(DWORD kind) {
  return kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX || kind == BS_RADIOBUTTON ||
         kind == BS_AUTORADIOBUTTON || kind == BS_3STATE || kind == BS_AUTO3STATE;
}

bool Radio(DWORD kind) {
  return kind == BS_RADIOBUTTON || kind == BS_AUTORADIOBUTTON;
}

// The group runs from the nearest WS_GROUP sibling at or before the button up
// to the next one; hidden and disabled members are unchecked too.
void UncheckGroup(HWND hwnd) {
  HWND first = hwnd;
  while (!(Style(first) & WS_GROUP)) {
    HWND previous = GetWindow(first, GW_HWNDPREV);
    if (!previous) break;
    first = previous;
  }
  for (HWND other = first; other; other = GetWindow(other, GW_HWNDNEXT)) {
    if (other != first && (Style(other) & WS_GROUP)) break;
    if (other != hwnd && Kind(other) == BS_AUTORADIOBUTTON && ButtonOf(other))
      SendMessage(other, BM_SETCHECK, BST_UNCHECKED, 0);
  }
}

// Checking an automatic radio button unchecks the others of its group.
void SetCheck(HWND hwnd, ButtonState* s, WPARAM check) {
  DWORD kind = Kind(hwnd);
  if (!Checkable(kind)) return;
  UINT most = (kind == BS_3STATE || kind == BS_AUTO3STATE) ? BST_INDETERMINATE : BST_CHECKED;
  s->check = std::min((UINT)check, most);
  // A checked radio button is where Tab enters its group.
  if (Radio(kind)) {
    DWORD style = Style(hwnd);
    SetWindowLongPtr(hwnd, GWL_STYLE, check ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP));
  }
  Changed(hwnd);
  if (kind == BS_AUTORADIOBUTTON && check == BST_CHECKED && (Style(hwnd) & WS_CHILD))
    UncheckGroup(hwnd);
}

void Release(HWND hwnd, ButtonState* s) {
  if (!s->pushed) return;
  s->pushed = false;
  Changed(hwnd);
  switch (Kind(hwnd)) {
    case BS_AUTOCHECKBOX:
      SendMessage(hwnd, BM_SETCHECK, s->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0);
      break;
    case BS_AUTORADIOBUTTON:
      SendMessage(hwnd, BM_SETCHECK, BST_CHECKED, 0);
      break;
    case BS_AUTO3STATE:
      SendMessage(hwnd, BM_SETCHECK, (s->check + 1) % 3, 0);
      break;
  }
  if (IsWindow(hwnd)) Notify(hwnd, BN_CLICKED);
}

LRESULT ButtonMessage(HWND hwnd, ButtonState* s, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD kind = Kind(hwnd);
  switch (message) {
    case BM_GETCHECK:
      return Checkable(kind) ? s->check : BST_UNCHECKED;
    case BM_SETCHECK:
      SetCheck(hwnd, s, wParam);
      return 0;
    case BM_GETSTATE:
      return s->check | (s->pushed ? BST_PUSHED : 0) | (GetFocus() == hwnd ? BST_FOCUS : 0);
    case BM_SETSTATE:
      s->pushed = wParam != 0;
      Changed(hwnd);
      return 0;
    case BM_CLICK:
      if (!IsWindowEnabled(hwnd) || kind == BS_GROUPBOX) return 0;
      SendMessage(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
      if (IsWindow(hwnd)) SendMessage(hwnd, WM_LBUTTONUP, 0, 0);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (kind == BS_GROUPBOX) return 0;
      if (GetFocus() != hwnd) SetFocus(hwnd);
      if ((s = StateOfButton(hwnd))) SendMessage(hwnd, BM_SETSTATE, TRUE, 0);
      return 0;
    case WM_LBUTTONUP:
      Release(hwnd, s);
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_SPACE && kind != BS_GROUPBOX) SendMessage(hwnd, BM_SETSTATE, TRUE, 0);
      return 0;
    case WM_KEYUP:
      if (wParam == VK_SPACE) Release(hwnd, s);
      return 0;
    case WM_SETFONT:
      s->font = (HFONT)wParam;
      Changed(hwnd);
      return 0;
    case WM_GETFONT:
      return (LRESULT)s->font;
    case WM_GETDLGCODE:
      switch (kind) {
        case BS_DEFPUSHBUTTON:
          return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        case BS_PUSHBUTTON:
          return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        case BS_GROUPBOX:
          return DLGC_STATIC;
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
          return DLGC_BUTTON | DLGC_RADIOBUTTON;
      }
      return DLGC_BUTTON;
    case WM_SETTEXT: {
      LRESULT result = DefWindowProc(hwnd, message, wParam, lParam);
      Changed(hwnd);
      return result;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      if (message == WM_KILLFOCUS && s->pushed) SendMessage(hwnd, BM_SETSTATE, FALSE, 0);
      Changed(hwnd);
      return 0;
  }
  return DefWindowProc(hwnd, message, wParam, lParam);
}

}  // namespace

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return StatefulProc<ButtonState, kButtonTag, kButtonClass, nullptr, ButtonMessage>(
      hwnd, message, wParam, lParam);
}

}  // namespace plat::controls
