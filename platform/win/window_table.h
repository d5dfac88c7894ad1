// Window classes and windows of this process. A window handle packs the process
// id, a slot index and the slot's generation, so handles are unique on the desktop
// and a stale handle never reaches a window that reused its slot.
#pragma once

#include <string>
#include <vector>

#include "platform/winuser.h"

namespace plat::win {

struct WindowClass {
  std::string name;
  WNDCLASS wc{};
  std::string menuName;  // wc.lpszMenuName points here, or is an integer resource id
  std::vector<unsigned char> extra;
  int windows = 0;  // live windows of the class; a class in use can't be unregistered
  bool system = false;
};

struct Window {
  HWND handle = nullptr;
  WindowClass* cls = nullptr;
  WNDPROC proc = nullptr;
  HWND parent = nullptr;  // WS_CHILD windows only
  HWND owner = nullptr;   // top-level windows owned by another (dialogs, pop-ups)
  UINT_PTR id = 0;        // control id of a child
  HMENU menu = nullptr;   // menu bar of a top-level window
  DWORD style = 0;
  DWORD exStyle = 0;
  HINSTANCE instance = nullptr;
  std::string text;
  RECT rect{};  // window rectangle: screen coordinates, or the parent's client coordinates
  std::vector<unsigned char> extra;
  LONG_PTR userData = 0;
  std::vector<HWND> children;  // in creation order
  HWND lastActivePopup = nullptr;
  bool destroying = false;
  // Update region, kept as one bounding rectangle.
  bool invalid = false;
  bool erase = false;
  RECT update{};
};

// Classes.
WindowClass* FindClass(const char* name);
WindowClass* AddClass(const WNDCLASS& wc, bool system);
bool RemoveClass(const char* name);

// Windows. Lookup answers only live windows of this process.
Window* FindWindowRecord(HWND hwnd);
Window* NewWindowRecord();
void FreeWindowRecord(Window* w);
bool IsLocalHandle(HWND hwnd);  // the handle names this process, live or not
std::vector<HWND> TopLevelWindows();

// What the windowing half of the layer lends the core. Hooks() is defined
// there, so any window code links the windowing half in with it.
struct WindowingHooks {
  HMENU (*loadClassMenu)(HINSTANCE instance, LPCSTR name) = nullptr;
  void (*destroyMenu)(HMENU menu) = nullptr;
  // Registers the layer's control and dialog classes; called once, lazily.
  void (*registerSystemClasses)() = nullptr;
  // The window is about to be freed; its menus and drawing go with it.
  void (*windowDestroyed)(HWND hwnd) = nullptr;
};
WindowingHooks& Hooks();

// Client rectangle relative to the window's own top-left corner, from the
// non-client parts its style asks for (caption, frame, border, menu bar).
RECT NonClientInsets(const Window& w);

}  // namespace plat::win
