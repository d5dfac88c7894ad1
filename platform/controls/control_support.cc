// Shared pieces of the control procedures.
#include "controls/control_support.h"

#include <ctype.h>
#include <string.h>
#include <strings.h>

#include <algorithm>

#include "gdi/gdi_objects.h"
#include "gui/display.h"
#include "platform/winbase.h"
#include "win/window_table.h"

namespace plat::controls {

const char kListBoxClass[] = "ListBox";
const char kComboBoxClass[] = "ComboBox";
const char kEditClass[] = "Edit";
const char kButtonClass[] = "Button";
const char kStaticClass[] = "Static";

namespace {

int CompareNoCase(const std::string& a, const char* b) {
  return strcasecmp(a.c_str(), b);
}

bool StartsWithNoCase(const std::string& text, const char* prefix) {
  return strncasecmp(text.c_str(), prefix, strlen(prefix)) == 0;
}

}  // namespace

int ItemList::Add(const char* text, bool sorted) {
  int index = Count();
  if (sorted) {
    index = 0;
    while (index < Count() && CompareNoCase(items[(size_t)index].text, text) <= 0)
      ++index;
  }
  items.insert(items.begin() + index, ListItem{text, 0, false});
  return index;
}

int ItemList::Insert(int index, const char* text) {
  if (index == -1) index = Count();
  if (index < 0 || index > Count()) return LB_ERR;
  items.insert(items.begin() + index, ListItem{text, 0, false});
  return index;
}

int ItemList::Find(int after, const char* text, bool exact) const {
  int n = Count();
  if (n == 0 || !text) return LB_ERR;
  int start = (after < -1 || after >= n) ? -1 : after;
  for (int k = 1; k <= n; ++k) {
    int i = (start + k) % n;
    const std::string& item = items[(size_t)i].text;
    if (exact ? CompareNoCase(item, text) == 0 : StartsWithNoCase(item, text)) return i;
  }
  return LB_ERR;
}

void* StateOf(HWND hwnd, const char* className, uint32_t tag) {
  plat::win::Window* w = plat::win::FindWindowRecord(hwnd);
  if (!w || !w->cls->system || strcasecmp(w->cls->name.c_str(), className) != 0 ||
      w->extra.size() < sizeof(void*))
    return nullptr;
  void* state;
  memcpy(&state, w->extra.data(), sizeof state);
  if (!state || *static_cast<uint32_t*>(state) != tag) return nullptr;
  return state;
}

void SetState(HWND hwnd, void* state) {
  plat::win::Window* w = plat::win::FindWindowRecord(hwnd);
  if (w && w->extra.size() >= sizeof(void*)) memcpy(w->extra.data(), &state, sizeof state);
}

void Notify(HWND control, WORD code) {
  plat::win::Window* w = plat::win::FindWindowRecord(control);
  if (!w || !w->parent) return;
  SendMessage(w->parent, WM_COMMAND, MAKEWPARAM((WORD)w->id, code), (LPARAM)control);
}

void Changed(HWND control) {
  plat::gui::CurrentDisplay().ControlChanged(control);
}

plat::gdi::FontMetrics MetricsOf(HFONT font) {
  return plat::gdi::MetricsOf(plat::gdi::FontOf(font));
}

DWORD Style(HWND hwnd) {
  return (DWORD)GetWindowLongPtr(hwnd, GWL_STYLE);
}

std::string TextOf(HWND hwnd) {
  plat::win::Window* w = plat::win::FindWindowRecord(hwnd);
  return w ? w->text : std::string();
}

void StoreText(HWND hwnd, const std::string& text) {
  DefWindowProc(hwnd, WM_SETTEXT, 0, (LPARAM)text.c_str());
}

LineEdit::Result LineEdit::Type(char c) {
  if (style & ES_READONLY) return kUnchanged;
  DWORD lo = std::min(*start, *end), hi = std::max(*start, *end);
  if (c == '\b') {
    if (lo == hi) {
      if (lo == 0) return kUnchanged;
      --lo;
    }
    text->erase(lo, hi - lo);
    *start = *end = lo;
    return kChanged;
  }
  if ((unsigned char)c < 0x20) return kUnchanged;
  if (style & ES_UPPERCASE) c = (char)toupper((unsigned char)c);
  if (style & ES_LOWERCASE) c = (char)tolower((unsigned char)c);
  std::string next = *text;
  next.replace(lo, hi - lo, 1, c);
  if (next.size() > limit) return kFull;
  if (!(style & ES_AUTOHSCROLL) &&
      plat::gdi::TextWidth(font, next.data(), (int)next.size()) > widthAvailable)
    return kFull;
  *text = std::move(next);
  *start = *end = lo + 1;
  return kChanged;
}

LineEdit::Result LineEdit::DeleteForward() {
  if (style & ES_READONLY) return kUnchanged;
  DWORD lo = std::min(*start, *end), hi = std::max(*start, *end);
  if (lo == hi) {
    if (hi >= text->size()) return kUnchanged;
    ++hi;
  }
  text->erase(lo, hi - lo);
  *start = *end = lo;
  return kChanged;
}

void LineEdit::SetSelection(int from, int to) {
  DWORD length = (DWORD)text->size();
  if (from == -1) {
    *start = *end;  // deselect, the caret stays
    return;
  }
  DWORD a = from < 0 ? length : std::min((DWORD)from, length);
  DWORD b = to < 0 ? length : std::min((DWORD)to, length);
  *start = std::min(a, b);
  *end = std::max(a, b);
}

const ListBoxState* ListBoxOf(HWND hwnd) {
  return Mutable<ListBoxState>(hwnd, kListBoxClass, kListBoxTag);
}
const ComboBoxState* ComboBoxOf(HWND hwnd) {
  return Mutable<ComboBoxState>(hwnd, kComboBoxClass, kComboBoxTag);
}
const EditState* EditOf(HWND hwnd) {
  return Mutable<EditState>(hwnd, kEditClass, kEditTag);
}
const ButtonState* ButtonOf(HWND hwnd) {
  return Mutable<ButtonState>(hwnd, kButtonClass, kButtonTag);
}
const StaticState* StaticOf(HWND hwnd) {
  return Mutable<StaticState>(hwnd, kStaticClass, kStaticTag);
}

std::vector<int> TabStopsInPixels(HWND listBox) {
  const ListBoxState* s = ListBoxOf(listBox);
  if (!s) return {};
  int average = plat::gdi::BaseCharWidth(MetricsOf(s->font));
  if (s->tabStops.empty()) return {MulDiv(32, average, 4)};
  std::vector<int> pixels;
  for (int stop : s->tabStops)
    pixels.push_back(MulDiv(stop, average, 4));
  return pixels;
}

}  // namespace plat::controls
