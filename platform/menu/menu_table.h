// Menus of the process: menu bars, pop-up menus and the windows' system menus,
// behind handles. Item texts keep their "&" mnemonics and "\t" accelerator
// texts as given; a right-justified menu-bar item carries MF_HELP. The display
// backend reads this state to show menus; it never changes it.
#pragma once

#include <string>
#include <vector>

#include "platform/winuser.h"

namespace plat::menu {

struct MenuItem {
  std::string text;
  UINT id = 0;
  UINT type = MF_STRING;  // MF_SEPARATOR, MF_POPUP, MF_HELP, MF_MENUBARBREAK, MF_MENUBREAK
  UINT state = 0;         // MF_GRAYED, MF_DISABLED, MF_CHECKED, MF_DEFAULT
  HMENU popup = nullptr;
};

struct Menu {
  HMENU handle = nullptr;
  bool bar = false;     // made by CreateMenu (or LoadMenu): a menu bar
  bool system = false;  // a window's system menu: its selections carry MF_SYSMENU
  std::vector<MenuItem> items;
};

Menu* FindMenu(HMENU menu);
// The item named by command id (searched through pop-ups too) or by position,
// and the menu holding it; null when there is none.
MenuItem* FindItem(HMENU menu, UINT item, UINT flags, Menu** holder = nullptr);
// The window's system menu (Restore, Move, Size, Minimize, Maximize, Close),
// made on first use and destroyed with the window.
HMENU SystemMenuOf(HWND hwnd);
void ForgetWindow(HWND hwnd);

}  // namespace plat::menu
