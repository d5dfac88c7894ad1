// The display backend: it mirrors the layer's state (windows, controls, menus,
// drawing) and feeds a person's input back through the person API (person.h).
// The layer calls these hooks after its state has changed; a hook never calls
// back into window procedures.
#pragma once

#include "gdi/draw_list.h"
#include "platform/commdlg.h"
#include "platform/windef.h"

namespace plat::gui {

class Display {
 public:
  virtual ~Display() = default;

  virtual void WindowCreated(HWND hwnd) {}
  virtual void WindowDestroyed(HWND hwnd) {}
  // Visibility, minimised or enabled state, position, size, style or text changed.
  virtual void WindowChanged(HWND hwnd) {}
  // The window got an update region; a backend that renders schedules a paint.
  virtual void WindowInvalidated(HWND hwnd) {}
  virtual void WindowActivated(HWND hwnd) {}
  virtual void FocusChanged(HWND focus) {}
  // Items, selection, check state or edit text of a control changed; the
  // state is in controls/control_state.h.
  virtual void ControlChanged(HWND control) {}
  // Items of a menu changed (menu/menu_table.h), or a window's menu bar did.
  virtual void MenuChanged(HMENU menu) {}
  virtual void MenuBarChanged(HWND hwnd) {}
  // One DC's drawing, released: in the window's client coordinates, clipped.
  virtual void Drawn(HWND hwnd, const plat::gdi::DrawList& ops) {}
  // A modal dialog's loop starts, has nothing to do (before it waits), ends.
  virtual void ModalLoopEntered(HWND dialog) {}
  virtual void ModalLoopIdle(HWND dialog) {}
  virtual void ModalLoopLeft(HWND dialog) {}

  // A backend that answers a message box itself returns true with the button
  // id; false lets the layer run it as a modal dialog of its own controls.
  virtual bool MessageBox(HWND owner, const char* text, const char* caption, UINT type,
                          int* answer) {
    return false;
  }
  virtual void Beep(UINT type) {}
  // The person's choice, or FALSE when cancelled.
  virtual BOOL GetOpenFileName(OPENFILENAME* ofn) { return FALSE; }
};

// The backend in use; the headless one until another is installed.
Display& CurrentDisplay();
void InstallDisplay(Display* display);

}  // namespace plat::gui
