// The classes the layer provides (controls and the dialog class "#32770") and
// the hooks the window core borrows from the windowing half. Defining Hooks()
// here means that any program using windows links all of this in, and the
// classes appear the first time a class name is missed.
#include "controls/control_procs.h"
#include "controls/control_support.h"
#include "dialog/dialog_state.h"
#include "menu/menu_table.h"
#include "win/window_table.h"

namespace plat::controls {

namespace {

void Register(const char* name, WNDPROC proc, UINT style, int extra, HBRUSH background) {
  WNDCLASS wc{};
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.cbWndExtra = extra;
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  plat::win::AddClass(wc, true);
}

void RegisterSystemClasses() {
  const int state = (int)sizeof(void*);
  Register(kButtonClass, ButtonProc, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, state, nullptr);
  Register(kEditClass, EditProc, CS_DBLCLKS, state, nullptr);
  Register(kStaticClass, StaticProc, CS_DBLCLKS, state, nullptr);
  Register(kListBoxClass, ListBoxProc, CS_DBLCLKS, state, nullptr);
  Register(kComboBoxClass, ComboBoxProc, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, state, nullptr);
  Register(plat::dialog::kDialogClass, DefDlgProc, CS_DBLCLKS | CS_SAVEBITS, DLGWINDOWEXTRA,
           (HBRUSH)(COLOR_BTNFACE + 1));
}

HMENU LoadClassMenu(HINSTANCE instance, LPCSTR name) {
  return LoadMenu(instance, name);
}

void DestroyWindowMenu(HMENU menu) {
  DestroyMenu(menu);
}

void WindowDestroyed(HWND hwnd) {
  plat::menu::ForgetWindow(hwnd);
}

}  // namespace

}  // namespace plat::controls

namespace plat::win {

WindowingHooks& Hooks() {
  static WindowingHooks hooks{plat::controls::LoadClassMenu, plat::controls::DestroyWindowMenu,
                              plat::controls::RegisterSystemClasses,
                              plat::controls::WindowDestroyed};
  return hooks;
}

}  // namespace plat::win
