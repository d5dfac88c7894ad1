// The state of the layer's controls, for a display backend to mirror after
// ControlChanged, never to write. A control's extra bytes point at its record
// (made on WM_NCCREATE, freed on WM_NCDESTROY); the texts of edits, buttons,
// statics and a combo box's edit part are the window text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/winuser.h"

namespace plat::controls {

struct ListItem {
  std::string text;
  LPARAM data = 0;
  bool selected = false;  // multiple-selection list boxes only
};

// Items of a list box or of a combo box's list. Comparisons ignore case (ASCII).
struct ItemList {
  std::vector<ListItem> items;

  int Count() const { return (int)items.size(); }
  bool Valid(int index) const { return index >= 0 && index < Count(); }
  // Sorted: after the last item that does not sort after text.
  int Add(const char* text, bool sorted);
  int Insert(int index, const char* text);  // -1: at the end; LB_ERR past the end
  // The first item after `after` (wrapping round) whose text starts with, or
  // (exact) equals, text; LB_ERR when none does.
  int Find(int after, const char* text, bool exact) const;
};

struct ListBoxState {
  uint32_t tag = 0;
  ItemList list;
  int selected = -1;  // single selection
  int caret = 0;      // the item with the focus rectangle
  int anchor = 0;     // where a shift-click range starts
  int top = 0;
  std::vector<int> tabStops;  // quarters of the average character width; empty: every 32
  HFONT font = nullptr;
};

struct ComboBoxState {
  uint32_t tag = 0;
  ItemList list;
  int selected = -1;
  bool dropped = false;
  DWORD selStart = 0;  // selection in the edit part
  DWORD selEnd = 0;
  UINT limit = 0;
  HFONT font = nullptr;
  // The window is as tall as the closed box, as in Win32; the height the
  // program asked for is the open list's extent, from the box's top.
  int droppedHeight = 0;
};

// The height of a closed combo box with this font.
int ClosedComboHeight(HFONT font);

struct EditState {
  uint32_t tag = 0;
  DWORD selStart = 0;  // the caret is at selEnd
  DWORD selEnd = 0;
  UINT limit = 0;
  bool modified = false;
  HFONT font = nullptr;
};

struct ButtonState {
  uint32_t tag = 0;
  UINT check = BST_UNCHECKED;
  bool pushed = false;
  HFONT font = nullptr;
};

struct StaticState {
  uint32_t tag = 0;
  HICON icon = nullptr;
  HFONT font = nullptr;
};

// The record of a control of that class, or null.
const ListBoxState* ListBoxOf(HWND hwnd);
const ComboBoxState* ComboBoxOf(HWND hwnd);
const EditState* EditOf(HWND hwnd);
const ButtonState* ButtonOf(HWND hwnd);
const StaticState* StaticOf(HWND hwnd);

// A list box's tab stops in pixels from the line's left edge, after its font:
// what drawing a line with TabbedTextOut would use.
std::vector<int> TabStopsInPixels(HWND listBox);

}  // namespace plat::controls
