// Menu storage and the Win32 menu calls. Destroying a menu destroys its
// pop-ups; a handle of a destroyed menu is unknown from then on.
#include "menu/menu_table.h"

#include <map>
#include <memory>
#include <unordered_map>

#include "gui/display.h"
#include "platform/winbase.h"
#include "resource/program_resources.h"
#include "win/window_ops.h"
#include "win/window_table.h"

namespace plat::menu {

namespace {

struct Table {
  std::unordered_map<uintptr_t, std::unique_ptr<Menu>> menus;
  std::map<HWND, HMENU> systemMenus;
  uintptr_t next = 0x4D000000;
};

Table& Menus() {
  static Table table;
  return table;
}

HMENU NewMenu(bool bar) {
  Table& t = Menus();
  t.next += 4;
  auto m = std::make_unique<Menu>();
  m->handle = (HMENU)t.next;
  m->bar = bar;
  t.menus[t.next] = std::move(m);
  return (HMENU)t.next;
}

Menu* Lookup(HMENU menu) {
  Menu* m = FindMenu(menu);
  if (!m) SetLastError(ERROR_INVALID_MENU_HANDLE);
  return m;
}

void Changed(HMENU menu) {
  plat::gui::CurrentDisplay().MenuChanged(menu);
}

// Builds one level of a menu resource; returns false on a malformed table.
bool BuildLevel(std::span<const MenuItemResource> items, size_t* at, HMENU menu, int depth) {
  if (depth > 16) return false;
  while (*at < items.size()) {
    const MenuItemResource& r = items[(*at)++];
    UINT flags = r.flags & ~MF_END;
    if (flags & MF_POPUP) {
      HMENU sub = CreatePopupMenu();
      if (!BuildLevel(items, at, sub, depth + 1) ||
          !AppendMenu(menu, flags, (UINT_PTR)sub, r.text)) {
        DestroyMenu(sub);
        return false;
      }
    } else if (!AppendMenu(menu, flags, r.id, r.text)) {
      return false;
    }
    if (r.flags & MF_END) return true;
  }
  return depth == 0;  // only the outer level may end with the table
}

}  // namespace

Menu* FindMenu(HMENU menu) {
  auto& menus = Menus().menus;
  auto it = menus.find((uintptr_t)menu);
  return it == menus.end() ? nullptr : it->second.get();
}

MenuItem* FindItem(HMENU handle, UINT item, UINT flags, Menu** holder) {
  Menu* m = FindMenu(handle);
  if (!m) return nullptr;
  if (flags & MF_BYPOSITION) {
    if (item >= m->items.size()) return nullptr;
    if (holder) *holder = m;
    return &m->items[item];
  }
  for (MenuItem& i : m->items) {
    if (!(i.type & MF_POPUP) && i.id == item) {
      if (holder) *holder = m;
      return &i;
    }
  }
  for (MenuItem& i : m->items) {
    if (!(i.type & MF_POPUP)) continue;
    if (MenuItem* found = FindItem(i.popup, item, flags, holder)) return found;
  }
  return nullptr;
}

HMENU SystemMenuOf(HWND hwnd) {
  Table& t = Menus();
  auto it = t.systemMenus.find(hwnd);
  if (it != t.systemMenus.end() && FindMenu(it->second)) return it->second;
  HMENU menu = CreatePopupMenu();
  FindMenu(menu)->system = true;
  AppendMenu(menu, MF_STRING, SC_RESTORE, "&Restore");
  AppendMenu(menu, MF_STRING, SC_MOVE, "&Move");
  AppendMenu(menu, MF_STRING, SC_SIZE, "&Size");
  AppendMenu(menu, MF_STRING, SC_MINIMIZE, "Mi&nimize");
  AppendMenu(menu, MF_STRING, SC_MAXIMIZE, "Ma&ximize");
  AppendMenu(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenu(menu, MF_STRING, SC_CLOSE, "&Close\tAlt+F4");
  t.systemMenus[hwnd] = menu;
  return menu;
}

void ForgetWindow(HWND hwnd) {
  Table& t = Menus();
  auto it = t.systemMenus.find(hwnd);
  if (it == t.systemMenus.end()) return;
  DestroyMenu(it->second);
  t.systemMenus.erase(it);
}

}  // namespace plat::menu

using plat::menu::FindItem;
using plat::menu::Menu;
using plat::menu::MenuItem;

HMENU CreateMenu() {
  return plat::menu::NewMenu(true);
}

HMENU CreatePopupMenu() {
  return plat::menu::NewMenu(false);
}

BOOL IsMenu(HMENU menu) {
  return plat::menu::FindMenu(menu) != nullptr;
}

BOOL DestroyMenu(HMENU menu) {
  Menu* m = plat::menu::Lookup(menu);
  if (!m) return FALSE;
  std::vector<HMENU> popups;
  for (const MenuItem& i : m->items) {
    if (i.type & MF_POPUP) popups.push_back(i.popup);
  }
  plat::menu::Menus().menus.erase((uintptr_t)menu);
  for (HMENU popup : popups)
    DestroyMenu(popup);
  return TRUE;
}

BOOL AppendMenu(HMENU menu, UINT flags, UINT_PTR idOrPopup, LPCSTR text) {
  Menu* m = plat::menu::Lookup(menu);
  if (!m) return FALSE;
  MenuItem item;
  item.type = flags & (MF_SEPARATOR | MF_POPUP | MF_HELP | MF_MENUBARBREAK | MF_MENUBREAK);
  item.state = flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_DEFAULT);
  if (item.type & MF_POPUP) {
    if (!plat::menu::FindMenu((HMENU)idOrPopup) || (HMENU)idOrPopup == menu) {
      SetLastError(ERROR_INVALID_MENU_HANDLE);
      return FALSE;
    }
    item.popup = (HMENU)idOrPopup;
    item.id = (UINT)idOrPopup;
  } else {
    item.id = (UINT)idOrPopup;
  }
  if (!(item.type & MF_SEPARATOR) && text) {
    // Resource compilers mark a right-justified menu-bar item with "\a" (or "\b").
    if (text[0] == '\a' || text[0] == '\b') {
      item.type |= MF_HELP;
      ++text;
    }
    item.text = text;
  }
  m->items.push_back(std::move(item));
  plat::menu::Changed(menu);
  return TRUE;
}

HMENU LoadMenu(HINSTANCE, LPCSTR name) {
  const MenuResource* r = plat::res::FindMenu(name);
  if (!r) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  HMENU menu = CreateMenu();
  size_t at = 0;
  if (!plat::menu::BuildLevel(r->items, &at, menu, 0)) {
    DestroyMenu(menu);
    SetLastError(ERROR_INVALID_DATA);
    return nullptr;
  }
  return menu;
}

HMENU GetMenu(HWND hwnd) {
  plat::win::Window* w = plat::win::FindWindowRecord(hwnd);
  return w && !(w->style & WS_CHILD) ? w->menu : nullptr;
}

BOOL SetMenu(HWND hwnd, HMENU menu) {
  plat::win::Window* w = plat::win::FindWindowRecord(hwnd);
  if (!w || (w->style & WS_CHILD) || (menu && !plat::menu::FindMenu(menu))) return FALSE;
  RECT before = plat::win::ClientRectOf(hwnd);
  w->menu = menu;
  RECT after = plat::win::ClientRectOf(hwnd);
  if (!EqualRect(&before, &after) && !IsIconic(hwnd))
    SendMessage(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(after.right, after.bottom));
  plat::gui::CurrentDisplay().MenuBarChanged(hwnd);
  return TRUE;
}

BOOL DrawMenuBar(HWND hwnd) {
  if (!plat::win::FindWindowRecord(hwnd)) return FALSE;
  plat::gui::CurrentDisplay().MenuBarChanged(hwnd);
  return TRUE;
}

HMENU GetSubMenu(HMENU menu, int position) {
  MenuItem* i = position < 0 ? nullptr : FindItem(menu, (UINT)position, MF_BYPOSITION);
  return i && (i->type & MF_POPUP) ? i->popup : nullptr;
}

int GetMenuItemCount(HMENU menu) {
  Menu* m = plat::menu::Lookup(menu);
  return m ? (int)m->items.size() : -1;
}

UINT GetMenuItemID(HMENU menu, int position) {
  MenuItem* i = position < 0 ? nullptr : FindItem(menu, (UINT)position, MF_BYPOSITION);
  if (!i || (i->type & MF_POPUP)) return (UINT)-1;
  return i->id;
}

UINT GetMenuState(HMENU menu, UINT item, UINT flags) {
  MenuItem* i = FindItem(menu, item, flags);
  if (!i) return (UINT)-1;
  if (i->type & MF_POPUP) {
    Menu* sub = plat::menu::FindMenu(i->popup);
    UINT count = sub ? (UINT)sub->items.size() : 0;
    return (count << 8) | ((i->type | i->state) & 0xFF);
  }
  return i->type | i->state;
}

DWORD CheckMenuItem(HMENU menu, UINT item, UINT flags) {
  MenuItem* i = FindItem(menu, item, flags);
  if (!i) return (DWORD)-1;
  DWORD previous = i->state & MF_CHECKED;
  i->state = (i->state & ~MF_CHECKED) | (flags & MF_CHECKED);
  plat::menu::Changed(menu);
  return previous;
}

BOOL EnableMenuItem(HMENU menu, UINT item, UINT flags) {
  MenuItem* i = FindItem(menu, item, flags);
  if (!i) return -1;
  BOOL previous = (BOOL)(i->state & (MF_GRAYED | MF_DISABLED));
  i->state = (i->state & ~(MF_GRAYED | MF_DISABLED)) | (flags & (MF_GRAYED | MF_DISABLED));
  plat::menu::Changed(menu);
  return previous;
}
