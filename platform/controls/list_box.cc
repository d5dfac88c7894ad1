// The "ListBox" class: single, multiple (LBS_MULTIPLESEL) and extended
// (LBS_EXTENDEDSEL) selection, sorting, item data, tab stops. Messages change
// state silently; only a person's action notifies the parent, and only with
// LBS_NOTIFY (LBN_SETFOCUS and LBN_KILLFOCUS always).
#include <string.h>

#include <algorithm>

#include "controls/control_support.h"
#include "controls/user_input.h"

namespace plat::controls {

namespace {

ListBoxState* StateOfList(HWND hwnd) {
  return Mutable<ListBoxState>(hwnd, kListBoxClass, kListBoxTag);
}

bool Multiple(DWORD style) {
  return style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL);
}

void AfterInsert(ListBoxState* s, int index) {
  if (s->list.Count() == 1) {
    s->caret = 0;
    return;
  }
  if (index <= s->selected) s->selected++;
  if (index <= s->caret) s->caret++;
  if (index <= s->anchor) s->anchor++;
}

void AfterDelete(ListBoxState* s, int index) {
  if (s->selected == index) {
    s->selected = -1;
  } else if (s->selected > index) {
    s->selected--;
  }
  int last = std::max(s->list.Count() - 1, 0);
  if (s->caret > index) s->caret--;
  if (s->anchor > index) s->anchor--;
  s->caret = std::min(s->caret, last);
  s->anchor = std::min(s->anchor, last);
  s->top = std::min(s->top, last);
}

LRESULT CopyText(const ItemList& list, int index, char* buffer) {
  if (!list.Valid(index)) return LB_ERR;
  const std::string& text = list.items[(size_t)index].text;
  if (buffer) memcpy(buffer, text.c_str(), text.size() + 1);
  return (LRESULT)text.size();
}

void SelectRange(ListBoxState* s, int from, int to, bool on) {
  if (from > to) std::swap(from, to);
  for (int i = std::max(from, 0); i <= to && i < s->list.Count(); ++i)
    s->list.items[(size_t)i].selected = on;
}

void NotifySelChange(HWND hwnd) {
  if (Style(hwnd) & LBS_NOTIFY) Notify(hwnd, LBN_SELCHANGE);
}

// Arrow keys in a single-selection list move the selection, as a person expects.
void MoveByKey(HWND hwnd, ListBoxState* s, WPARAM key) {
  int n = s->list.Count();
  if (n == 0 || Multiple(Style(hwnd))) return;
  int at = s->selected < 0 ? s->caret : s->selected;
  switch (key) {
    case VK_UP:
      at = std::max(at - 1, 0);
      break;
    case VK_DOWN:
      at = std::min(at + 1, n - 1);
      break;
    default:
      return;
  }
  s->selected = s->caret = at;
  Changed(hwnd);
  NotifySelChange(hwnd);
}

LRESULT SetTabStops(HWND hwnd, ListBoxState* s, WPARAM count, const INT* stops) {
  if (!(Style(hwnd) & LBS_USETABSTOPS)) return FALSE;
  s->tabStops.clear();
  if (stops) s->tabStops.assign(stops, stops + count);
  Changed(hwnd);
  return TRUE;
}

LRESULT ListMessage(HWND hwnd, ListBoxState* s, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD style = Style(hwnd);
  ItemList& list = s->list;
  int index = (int)wParam;
  switch (message) {
    case LB_ADDSTRING: {
      int at = list.Add(lParam ? (const char*)lParam : "", style & LBS_SORT);
      AfterInsert(s, at);
      Changed(hwnd);
      return at;
    }
    case LB_INSERTSTRING: {
      int at = list.Insert(index, lParam ? (const char*)lParam : "");
      if (at == LB_ERR) return LB_ERR;
      AfterInsert(s, at);
      Changed(hwnd);
      return at;
    }
    case LB_DELETESTRING:
      if (!list.Valid(index)) return LB_ERR;
      list.items.erase(list.items.begin() + index);
      AfterDelete(s, index);
      Changed(hwnd);
      return list.Count();
    case LB_RESETCONTENT:
      list.items.clear();
      s->selected = -1;
      s->caret = s->anchor = s->top = 0;
      Changed(hwnd);
      return TRUE;
    case LB_GETCOUNT:
      return list.Count();
    case LB_GETTEXT:
      return CopyText(list, index, (char*)lParam);
    case LB_GETTEXTLEN:
      return list.Valid(index) ? (LRESULT)list.items[(size_t)index].text.size() : LB_ERR;
    case LB_SETCURSEL:
      if (Multiple(style) || (index != -1 && !list.Valid(index))) return LB_ERR;
      s->selected = index;
      if (index >= 0) s->caret = index;
      Changed(hwnd);
      return index == -1 ? LB_ERR : index;  // Win32 answers LB_ERR for -1 too
    case LB_GETCURSEL:
      if (Multiple(style)) return list.Count() ? s->caret : LB_ERR;
      return s->selected >= 0 ? s->selected : LB_ERR;
    case LB_SETSEL: {
      int item = (int)lParam;
      if (!Multiple(style) || (item != -1 && !list.Valid(item))) return LB_ERR;
      if (item == -1) {
        SelectRange(s, 0, list.Count() - 1, wParam);
      } else {
        list.items[(size_t)item].selected = wParam;
        if (wParam) s->anchor = item;
      }
      Changed(hwnd);
      return LB_OKAY;
    }
    case LB_GETSEL:
      if (!list.Valid(index)) return LB_ERR;
      return Multiple(style) ? list.items[(size_t)index].selected : index == s->selected;
    case LB_GETSELCOUNT:
      if (!Multiple(style)) return LB_ERR;
      return std::count_if(list.items.begin(), list.items.end(),
                           [](const ListItem& i) { return i.selected; });
    case LB_GETSELITEMS: {
      if (!Multiple(style)) return LB_ERR;
      int* out = (int*)lParam;
      int copied = 0;
      for (int i = 0; i < list.Count() && copied < index && out; ++i) {
        if (list.items[(size_t)i].selected) out[copied++] = i;
      }
      return copied;
    }
    case LB_SELECTSTRING: {
      if (Multiple(style)) return LB_ERR;
      int found = list.Find(index, (const char*)lParam, false);
      if (found == LB_ERR) return LB_ERR;
      s->selected = s->caret = found;
      Changed(hwnd);
      return found;
    }
    case LB_FINDSTRING:
      return list.Find(index, (const char*)lParam, false);
    case LB_FINDSTRINGEXACT:
      return list.Find(index, (const char*)lParam, true);
    case LB_SETITEMDATA:
      if (!list.Valid(index)) return LB_ERR;
      list.items[(size_t)index].data = lParam;
      return TRUE;
    case LB_GETITEMDATA:
      return list.Valid(index) ? list.items[(size_t)index].data : LB_ERR;
    case LB_SETTABSTOPS:
      return SetTabStops(hwnd, s, wParam, (const INT*)lParam);
    case LB_GETCARETINDEX:
      return s->caret;
    case LB_SETCARETINDEX:
      if (!list.Valid(index)) return LB_ERR;
      s->caret = index;
      Changed(hwnd);
      return LB_OKAY;
    case LB_GETANCHORINDEX:
      return s->anchor;
    case LB_GETTOPINDEX:
      return s->top;
    case LB_SETTOPINDEX:
      if (!list.Valid(index)) return LB_ERR;
      s->top = index;
      Changed(hwnd);
      return LB_OKAY;
    case LB_GETITEMHEIGHT:
      return MetricsOf(s->font).height;
    case WM_SETFONT:
      s->font = (HFONT)wParam;
      Changed(hwnd);
      return 0;
    case WM_GETFONT:
      return (LRESULT)s->font;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
      Changed(hwnd);
      Notify(hwnd, LBN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      Changed(hwnd);
      Notify(hwnd, LBN_KILLFOCUS);
      return 0;
    case WM_KEYDOWN:
      MoveByKey(hwnd, s, wParam);
      return 0;
  }
  return DefWindowProc(hwnd, message, wParam, lParam);
}

}  // namespace

LRESULT CALLBACK ListBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return StatefulProc<ListBoxState, kListBoxTag, kListBoxClass, nullptr, ListMessage>(
      hwnd, message, wParam, lParam);
}

bool UserClickListItem(HWND list, int index, UINT keys, bool doubleClick) {
  ListBoxState* s = StateOfList(list);
  if (!s || !s->list.Valid(index) || !IsWindowEnabled(list) || !IsWindowVisible(list)) return false;
  if (GetFocus() != list) SetFocus(list);
  if (!(s = StateOfList(list)) || !s->list.Valid(index)) return false;
  DWORD style = Style(list);
  if (style & LBS_MULTIPLESEL) {
    s->list.items[(size_t)index].selected = !s->list.items[(size_t)index].selected;
    s->anchor = index;
  } else if (style & LBS_EXTENDEDSEL) {
    if (keys & MK_SHIFT) {
      if (!(keys & MK_CONTROL)) SelectRange(s, 0, s->list.Count() - 1, false);
      SelectRange(s, s->anchor, index, true);
    } else if (keys & MK_CONTROL) {
      s->list.items[(size_t)index].selected = !s->list.items[(size_t)index].selected;
      s->anchor = index;
    } else {
      SelectRange(s, 0, s->list.Count() - 1, false);
      s->list.items[(size_t)index].selected = true;
      s->anchor = index;
    }
  } else {
    s->selected = index;
  }
  s->caret = index;
  Changed(list);
  // Win32 reports the click when the button comes up, whether or not the
  // selection changed; the second press of a double click only reports that.
  NotifySelChange(list);
  if (doubleClick && IsWindow(list) && (Style(list) & LBS_NOTIFY)) Notify(list, LBN_DBLCLK);
  return true;
}

}  // namespace plat::controls
