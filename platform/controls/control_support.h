// What the control procedures share: their state records in the extra bytes,
// notifications to the parent, fonts, and editing of a single line of text.
#pragma once

#include <string>

#include "controls/control_state.h"
#include "gdi/font_metrics.h"
#include "platform/winuser.h"

namespace plat::controls {

inline constexpr uint32_t kListBoxTag = 0x4C425354;   // "LBST"
inline constexpr uint32_t kComboBoxTag = 0x43425354;  // "CBST"
inline constexpr uint32_t kEditTag = 0x45445354;      // "EDST"
inline constexpr uint32_t kButtonTag = 0x42545354;    // "BTST"
inline constexpr uint32_t kStaticTag = 0x53545354;    // "STST"
inline constexpr UINT kDefaultTextLimit = 30000;
inline constexpr UINT kMaxTextLimit = 0x7FFFFFFE;

extern const char kListBoxClass[];
extern const char kComboBoxClass[];
extern const char kEditClass[];
extern const char kButtonClass[];
extern const char kStaticClass[];

// The record stored by the control's class procedure; null for another class
// or a record whose tag does not match.
void* StateOf(HWND hwnd, const char* className, uint32_t tag);
void SetState(HWND hwnd, void* state);

template <typename T>
T* Mutable(HWND hwnd, const char* className, uint32_t tag) {
  return static_cast<T*>(StateOf(hwnd, className, tag));
}

// The life of a control's state record around its class procedure: made on
// WM_NCCREATE (Init then sees it with the creation data), freed on WM_NCDESTROY;
// every message between goes to Handle with it.
template <typename State, uint32_t Tag, const char* ClassName,
          void (*Init)(HWND, State*, const CREATESTRUCT*),
          LRESULT (*Handle)(HWND, State*, UINT, WPARAM, LPARAM)>
LRESULT StatefulProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* s = new State;
    s->tag = Tag;
    SetState(hwnd, s);
    LRESULT result = DefWindowProc(hwnd, message, wParam, lParam);
    if constexpr (Init != nullptr) Init(hwnd, s, (const CREATESTRUCT*)lParam);
    return result;
  }
  State* s = Mutable<State>(hwnd, ClassName, Tag);
  if (message == WM_NCDESTROY) {
    SetState(hwnd, nullptr);
    delete s;
    return 0;
  }
  if (!s) return DefWindowProc(hwnd, message, wParam, lParam);
  return Handle(hwnd, s, message, wParam, lParam);
}

// WM_COMMAND to the parent: MAKEWPARAM(id, code), lParam = the control.
void Notify(HWND control, WORD code);
// Tells the display backend that the control's state changed.
void Changed(HWND control);

plat::gdi::FontMetrics MetricsOf(HFONT font);
DWORD Style(HWND hwnd);
std::string TextOf(HWND hwnd);
// Sets the window text without going through WM_SETTEXT.
void StoreText(HWND hwnd, const std::string& text);

// A line of text with a selection [start, end), as edits and combo boxes keep it.
struct LineEdit {
  std::string* text;
  DWORD* start;
  DWORD* end;
  UINT limit;
  DWORD style;         // ES_UPPERCASE, ES_LOWERCASE, ES_READONLY, ES_AUTOHSCROLL
  int widthAvailable;  // pixels, for a line without ES_AUTOHSCROLL
  plat::gdi::FontMetrics font;

  enum Result { kUnchanged, kChanged, kFull };
  Result Type(char c);  // a printable character or backspace (8)
  Result DeleteForward();
  void SetSelection(int from, int to);  // Win32's EM_SETSEL rules
};

}  // namespace plat::controls
