// The "ComboBox" class: CBS_DROPDOWN (an edit part, which is the combo box
// itself, and a list) and CBS_DROPDOWNLIST (a list only; its text is the
// selected entry). CB_ messages notify nothing; only a person's gestures do.
#include <string.h>

#include <algorithm>

#include "controls/control_support.h"
#include "controls/user_input.h"
#include "win/window_ops.h"
#include "win/window_table.h"

namespace plat::controls {

namespace {

constexpr int kButtonWidth = 16;  // the drop-down button beside the edit part

ComboBoxState* StateOfCombo(HWND hwnd) {
  return Mutable<ComboBoxState>(hwnd, kComboBoxClass, kComboBoxTag);
}

bool HasEdit(HWND hwnd) {
  return (Style(hwnd) & 3) != CBS_DROPDOWNLIST;
}

// Shows the selected entry (or nothing) as the text, without the edit
// notifications and without the selection following the text.
void ShowSelection(HWND hwnd, ComboBoxState* s) {
  std::string text = s->list.Valid(s->selected) ? s->list.items[(size_t)s->selected].text : "";
  StoreText(hwnd, text);
  s->selStart = 0;
  s->selEnd = GetFocus() == hwnd ? (DWORD)text.size() : 0;
  Changed(hwnd);
}

// When the edit text changes the selection follows Win32: with the list open
// it moves to the first entry starting with the text, closed it is cleared.
void FollowText(HWND hwnd, ComboBoxState* s) {
  std::string text = TextOf(hwnd);
  s->selected = s->dropped && !text.empty() ? s->list.Find(-1, text.c_str(), false) : -1;
}

// A closed box shrinks to its edit part when it is made and when its font
// changes; the list's extent is kept.
void FitClosedHeight(HWND hwnd, ComboBoxState* s) {
  plat::win::Window* w = plat::win::FindWindowRecord(hwnd);
  if (!w) return;
  int closed = ClosedComboHeight(s->font);
  if (w->rect.bottom - w->rect.top == closed) return;
  MoveWindow(hwnd, w->rect.left, w->rect.top, w->rect.right - w->rect.left, closed, TRUE);
}

void Open(HWND hwnd, ComboBoxState* s) {
  if (s->dropped) return;
  Notify(hwnd, CBN_DROPDOWN);
  if (!(s = StateOfCombo(hwnd))) return;
  s->dropped = true;
  if (HasEdit(hwnd)) FollowText(hwnd, s);
  Changed(hwnd);
}

// Closing the list: CBN_SELENDOK or CBN_SELENDCANCEL, then CBN_CLOSEUP.
void Close(HWND hwnd, bool ok) {
  Notify(hwnd, ok ? CBN_SELENDOK : CBN_SELENDCANCEL);
  ComboBoxState* s = StateOfCombo(hwnd);
  if (!s || !s->dropped) return;
  s->dropped = false;
  Changed(hwnd);
  Notify(hwnd, CBN_CLOSEUP);
}

LineEdit EditOfCombo(HWND hwnd, ComboBoxState* s, std::string* text) {
  RECT client = plat::win::ClientRectOf(hwnd);
  DWORD style = Style(hwnd);
  return LineEdit{text,
                  &s->selStart,
                  &s->selEnd,
                  s->limit,
                  (style & CBS_AUTOHSCROLL) ? (DWORD)ES_AUTOHSCROLL : 0,
                  (int)client.right - kButtonWidth - 2,
                  MetricsOf(s->font)};
}

void AfterTyping(HWND hwnd, LineEdit::Result result, const std::string& text) {
  if (result != LineEdit::kChanged) return;
  StoreText(hwnd, text);
  if (ComboBoxState* s = StateOfCombo(hwnd)) FollowText(hwnd, s);
  Changed(hwnd);
  Notify(hwnd, CBN_EDITUPDATE);
  if (IsWindow(hwnd)) Notify(hwnd, CBN_EDITCHANGE);
}

// A character typed into a drop-down list picks the next entry starting with it.
void TypeIntoList(HWND hwnd, ComboBoxState* s, char c) {
  char prefix[2] = {c, 0};
  int found = s->list.Find(s->selected, prefix, false);
  if (found == LB_ERR) return;
  s->selected = found;
  ShowSelection(hwnd, s);
  Notify(hwnd, CBN_SELENDOK);
  if (IsWindow(hwnd)) Notify(hwnd, CBN_SELCHANGE);
}

LRESULT Select(HWND hwnd, ComboBoxState* s, int index) {
  if (index != -1 && !s->list.Valid(index)) {
    ShowSelection(hwnd, s);
    return CB_ERR;
  }
  s->selected = index;
  ShowSelection(hwnd, s);
  return index == -1 ? CB_ERR : index;
}

LRESULT ComboMessage(HWND hwnd, ComboBoxState* s, UINT message, WPARAM wParam, LPARAM lParam) {
  ItemList& list = s->list;
  int index = (int)wParam;
  switch (message) {
    case CB_ADDSTRING: {
      int at = list.Add(lParam ? (const char*)lParam : "", Style(hwnd) & CBS_SORT);
      if (at <= s->selected) s->selected++;
      Changed(hwnd);
      return at;
    }
    case CB_INSERTSTRING: {
      int at = list.Insert(index, lParam ? (const char*)lParam : "");
      if (at == LB_ERR) return CB_ERR;
      if (at <= s->selected) s->selected++;
      Changed(hwnd);
      return at;
    }
    case CB_DELETESTRING:
      if (!list.Valid(index)) return CB_ERR;
      list.items.erase(list.items.begin() + index);
      if (s->selected == index) {
        s->selected = -1;
      } else if (s->selected > index) {
        s->selected--;
      }
      Changed(hwnd);
      return list.Count();
    case CB_RESETCONTENT:
      list.items.clear();
      s->selected = -1;
      ShowSelection(hwnd, s);
      return CB_OKAY;
    case CB_GETCOUNT:
      return list.Count();
    case CB_GETLBTEXT:
      if (!list.Valid(index)) return CB_ERR;
      if (lParam)
        memcpy((char*)lParam, list.items[(size_t)index].text.c_str(),
               list.items[(size_t)index].text.size() + 1);
      return (LRESULT)list.items[(size_t)index].text.size();
    case CB_GETLBTEXTLEN:
      return list.Valid(index) ? (LRESULT)list.items[(size_t)index].text.size() : CB_ERR;
    case CB_GETITEMDATA:
      return list.Valid(index) ? list.items[(size_t)index].data : CB_ERR;
    case CB_SETITEMDATA:
      if (!list.Valid(index)) return CB_ERR;
      list.items[(size_t)index].data = lParam;
      return TRUE;
    case CB_FINDSTRING:
      return list.Find(index, (const char*)lParam, false);
    case CB_FINDSTRINGEXACT:
      return list.Find(index, (const char*)lParam, true);
    case CB_SELECTSTRING: {
      int found = list.Find(index, (const char*)lParam, false);
      return found == LB_ERR ? CB_ERR : Select(hwnd, s, found);
    }
    case CB_SETCURSEL:
      return Select(hwnd, s, index);
    case CB_GETCURSEL:
      return s->selected >= 0 ? s->selected : CB_ERR;
    case CB_SHOWDROPDOWN:
      if (wParam) {
        Open(hwnd, s);
      } else if (s->dropped) {
        Close(hwnd, false);
      }
      return TRUE;
    case CB_GETDROPPEDSTATE:
      return s->dropped;
    case CB_LIMITTEXT:
      if (!HasEdit(hwnd)) return CB_ERR;
      s->limit = wParam ? (UINT)wParam : kMaxTextLimit;
      return TRUE;
    case CB_GETEDITSEL:
      if (wParam) *(DWORD*)wParam = s->selStart;
      if (lParam) *(DWORD*)lParam = s->selEnd;
      return MAKELRESULT(s->selStart, s->selEnd);
    case CB_SETEDITSEL: {
      if (!HasEdit(hwnd)) return CB_ERR;
      std::string text = TextOf(hwnd);
      EditOfCombo(hwnd, s, &text).SetSelection((SHORT)LOWORD(lParam), (SHORT)HIWORD(lParam));
      Changed(hwnd);
      return TRUE;
    }
    case WM_SETTEXT:
      if (!HasEdit(hwnd)) return CB_ERR;
      StoreText(hwnd, lParam ? (const char*)lParam : "");
      s->selStart = s->selEnd = 0;
      FollowText(hwnd, s);
      Changed(hwnd);
      return TRUE;
    case WM_CHAR: {
      if (!HasEdit(hwnd)) {
        TypeIntoList(hwnd, s, (char)wParam);
        return 0;
      }
      std::string text = TextOf(hwnd);
      AfterTyping(hwnd, EditOfCombo(hwnd, s, &text).Type((char)wParam), text);
      return 0;
    }
    case WM_KEYDOWN:
      if (wParam == VK_DELETE && HasEdit(hwnd)) {
        std::string text = TextOf(hwnd);
        AfterTyping(hwnd, EditOfCombo(hwnd, s, &text).DeleteForward(), text);
      }
      return 0;
    case WM_CREATE:
      FitClosedHeight(hwnd, s);
      return 0;
    case WM_SETFONT:
      s->font = (HFONT)wParam;
      FitClosedHeight(hwnd, s);
      if ((s = StateOfCombo(hwnd))) Changed(hwnd);
      return 0;
    case WM_GETFONT:
      return (LRESULT)s->font;
    case WM_GETDLGCODE:
      return DLGC_WANTCHARS | DLGC_WANTARROWS | (HasEdit(hwnd) ? DLGC_HASSETSEL : 0);
    case WM_SETFOCUS:
      s->selStart = 0;
      s->selEnd = HasEdit(hwnd) ? (DWORD)TextOf(hwnd).size() : 0;
      Changed(hwnd);
      Notify(hwnd, CBN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      if (s->dropped) Close(hwnd, false);
      if ((s = StateOfCombo(hwnd))) {
        s->selStart = s->selEnd = 0;
        Changed(hwnd);
      }
      Notify(hwnd, CBN_KILLFOCUS);
      return 0;
  }
  return DefWindowProc(hwnd, message, wParam, lParam);
}

void InitCombo(HWND hwnd, ComboBoxState* s, const CREATESTRUCT* cs) {
  s->limit = kDefaultTextLimit;
  if (cs) s->droppedHeight = cs->cy;
  StoreText(hwnd, "");  // the window name is not the edit text
}

}  // namespace

LRESULT CALLBACK ComboBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return StatefulProc<ComboBoxState, kComboBoxTag, kComboBoxClass, InitCombo, ComboMessage>(
      hwnd, message, wParam, lParam);
}

int ClosedComboHeight(HFONT font) {
  return MetricsOf(font).height + 8;
}

bool UserDropDown(HWND combo, bool open) {
  ComboBoxState* s = StateOfCombo(combo);
  if (!s || !IsWindowEnabled(combo) || !IsWindowVisible(combo)) return false;
  if (open) {
    if (GetFocus() != combo) SetFocus(combo);
    if ((s = StateOfCombo(combo))) Open(combo, s);
  } else if (s->dropped) {
    Close(combo, false);
  }
  return true;
}

bool UserPickComboItem(HWND combo, int index) {
  if (!UserDropDown(combo, true)) return false;
  ComboBoxState* s = StateOfCombo(combo);
  if (!s || !s->list.Valid(index)) return false;
  s->selected = index;
  // Without an edit part the text is the selection at once; with one, Win32
  // writes the entry into the edit part only after CBN_SELCHANGE.
  if (!HasEdit(combo)) ShowSelection(combo, s);
  Close(combo, true);
  if (!IsWindow(combo)) return true;
  Notify(combo, CBN_SELCHANGE);
  if ((s = StateOfCombo(combo)) && HasEdit(combo)) ShowSelection(combo, s);
  return true;
}

}  // namespace plat::controls
