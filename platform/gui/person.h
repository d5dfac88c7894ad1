// A person at the display: each gesture makes the messages Win32 sends to the
// window procedures for it, in Win32's order. Tests use it headless; a rendering
// backend turns real input into these calls. Call it from the message loop (a
// dispatched message, a dialog's idle moment, or input the queue runs: see
// MessageQueue::PostInput), not from a reactor handler.
#pragma once

#include <vector>

#include "platform/winuser.h"

namespace plat::gui {

// Gestures at a hidden or disabled window, or one inside a disabled window
// (the owner of a modal dialog), do nothing and return false.

// A person working a window's menu bar (or its system menu): opening it
// (WM_ENTERMENULOOP, WM_INITMENU), opening a pop-up from the bar (WM_MENUSELECT
// for the title, then WM_INITMENUPOPUP), moving over items (WM_MENUSELECT each;
// a pop-up item opens its pop-up), and choosing or leaving (WM_MENUSELECT with
// 0xFFFF and no menu, WM_EXITMENULOOP; a chosen item's WM_COMMAND, or
// WM_SYSCOMMAND, is posted). Leaving happens at the latest on destruction.
class MenuSession {
 public:
  explicit MenuSession(HWND window, bool systemMenu = false);
  ~MenuSession();
  MenuSession(const MenuSession&) = delete;
  MenuSession& operator=(const MenuSession&) = delete;

  bool Open() const { return open_; }
  bool OpenPopup(int position);  // an item of the menu bar
  bool Highlight(int position);  // an item of the innermost open pop-up
  // An item of an open pop-up level (0: the one hanging from the bar); the
  // levels below it close, as when the pointer moves back into a parent.
  bool HighlightAt(size_t level, int position);
  // Chooses the highlighted item; a grey, disabled, separator or pop-up item
  // executes nothing, and the person leaves the menu.
  bool Choose();
  void Close();

  // What a display shows: the bar item whose pop-up is open (-1: none), the
  // open pop-ups from the bar inwards, the highlighted item and its menu.
  HWND Window() const { return window_; }
  int OpenTitle() const { return title_; }
  const std::vector<HMENU>& Levels() const { return levels_; }
  HMENU HighlightedMenu() const { return highlightedIn_; }
  int Highlighted() const { return highlighted_; }

 private:
  void Select(HMENU menu, int position);

  HWND window_;
  bool system_;
  bool open_ = false;
  HMENU top_ = nullptr;
  int title_ = -1;
  std::vector<HMENU> levels_;  // open pop-ups, the innermost last
  HMENU highlightedIn_ = nullptr;
  int highlighted_ = -1;
};

// The whole gesture: opens the menu, the pop-up holding the command (and any
// pop-ups on the way), moves down over every item above it, chooses it.
bool PickMenuItem(HWND window, UINT commandId);
bool PickSystemMenuItem(HWND window, UINT command);  // SC_CLOSE, SC_MINIMIZE, ...

// Mouse. Click presses and releases the left button on a control (a button
// then clicks; an edit takes the focus). ClickAt and DoubleClickAt hit the
// window under a point of `window`'s client area, passing through statics
// without SS_NOTIFY and group boxes as Win32's hit testing does; keys adds
// MK_SHIFT or MK_CONTROL.
bool Click(HWND control);
bool ClickAt(HWND window, POINT point, UINT keys = 0);
bool DoubleClickAt(HWND window, POINT point, UINT keys = 0);
bool PickListItem(HWND list, int index, UINT keys = 0);
// The scroll bar: the item at the top of the list becomes `top`.
bool ScrollListTo(HWND list, int top);
bool DoubleClickListItem(HWND list, int index);
bool DropDown(HWND combo, bool open);
bool PickComboItem(HWND combo, int index);

// Keyboard. The focus moves into a control as a click into it moves it.
bool FocusOn(HWND control);
// Types characters into the focused control, focusing `control` first.
bool Type(HWND control, const char* text);
// Selects all of the control's text and types over it (an empty text deletes it).
bool ReplaceText(HWND control, const char* text);
// A key pressed and released at the focus window (or the active window), through
// its dialog's keyboard handling when it is in one. A key that makes a character
// carries it in WM_KEYDOWN's scan-code byte, so that TranslateMessage (a dialog's
// loop, or a program's own) makes the WM_CHAR a real keyboard would.
bool PressKey(int virtualKey, bool shift = false, char character = 0);

// The window's frame: a person moved or sized a top-level window (rect in
// screen coordinates, frame included).
bool MoveFrame(HWND window, const RECT& rect);

}  // namespace plat::gui
