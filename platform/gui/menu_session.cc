// A person working a menu. WM_MENUSELECT as Win32 sends it: an item's id and
// flags with MF_HILITE; a pop-up item's position and MF_POPUP; a separator's id
// 0 and MF_SEPARATOR; lParam the menu holding the item; MF_SYSMENU in a system
// menu; on closing HIWORD 0xFFFF and lParam 0.
#include <vector>

#include "gui/person.h"
#include "menu/menu_table.h"

namespace plat::gui {

namespace {

using plat::menu::FindMenu;
using plat::menu::Menu;
using plat::menu::MenuItem;

bool Executable(const MenuItem& item) {
  return !(item.type & (MF_SEPARATOR | MF_POPUP)) && !(item.state & (MF_GRAYED | MF_DISABLED));
}

// Positions from `menu` down to the item with this command id.
bool PathTo(HMENU menu, UINT id, std::vector<int>* path) {
  Menu* m = FindMenu(menu);
  if (!m) return false;
  for (size_t i = 0; i < m->items.size(); ++i) {
    const MenuItem& item = m->items[i];
    path->push_back((int)i);
    if ((item.type & MF_POPUP) ? PathTo(item.popup, id, path)
                               : !(item.type & MF_SEPARATOR) && item.id == id)
      return true;
    path->pop_back();
  }
  return false;
}

bool Sweep(MenuSession* session, const std::vector<int>& path, size_t from) {
  for (size_t level = from; level < path.size(); ++level) {
    for (int i = 0; i <= path[level]; ++i) {
      if (!session->Highlight(i)) return false;
    }
  }
  return session->Choose();
}

}  // namespace

MenuSession::MenuSession(HWND window, bool systemMenu) : window_(window), system_(systemMenu) {
  if (!IsWindowVisible(window) || !IsWindowEnabled(window)) return;
  top_ = systemMenu ? plat::menu::SystemMenuOf(window) : GetMenu(window);
  if (!FindMenu(top_)) return;
  open_ = true;
  SendMessage(window_, WM_ENTERMENULOOP, FALSE, 0);
  SendMessage(window_, WM_INITMENU, (WPARAM)top_, 0);
  if (system_) {
    // The system menu hangs under the window's icon: its title is position 0.
    SendMessage(window_, WM_MENUSELECT, MAKEWPARAM(0, MF_POPUP | MF_HILITE | MF_SYSMENU),
                (LPARAM)top_);
    SendMessage(window_, WM_INITMENUPOPUP, (WPARAM)top_, MAKELPARAM(0, TRUE));
    levels_.assign(1, top_);
  }
}

MenuSession::~MenuSession() {
  Close();
}

void MenuSession::Select(HMENU menu, int position) {
  Menu* m = FindMenu(menu);
  const MenuItem& item = m->items[(size_t)position];
  UINT flags = item.type | item.state | (m->system ? MF_SYSMENU : 0);
  WORD id = (WORD)item.id;
  if (item.type & MF_POPUP) {
    id = (WORD)position;
  }
  if (!(item.type & MF_SEPARATOR)) flags |= MF_HILITE;
  HMENU popup = item.popup;
  bool opens = (item.type & MF_POPUP) && FindMenu(popup);
  highlightedIn_ = menu;
  highlighted_ = position;
  SendMessage(window_, WM_MENUSELECT, MAKEWPARAM(id, flags), (LPARAM)menu);
  if (opens && open_ && IsWindow(window_)) {
    SendMessage(window_, WM_INITMENUPOPUP, (WPARAM)popup, MAKELPARAM(position, FALSE));
    levels_.push_back(popup);
  }
}

bool MenuSession::OpenPopup(int position) {
  Menu* m = FindMenu(top_);
  if (!open_ || system_ || !m || position < 0 || position >= (int)m->items.size()) return false;
  levels_.clear();
  title_ = position;
  Select(top_, position);
  return true;
}

bool MenuSession::Highlight(int position) {
  return !levels_.empty() && HighlightAt(levels_.size() - 1, position);
}

bool MenuSession::HighlightAt(size_t level, int position) {
  if (!open_ || level >= levels_.size()) return false;
  Menu* m = FindMenu(levels_[level]);
  if (!m || position < 0 || position >= (int)m->items.size()) return false;
  levels_.resize(level + 1);
  Select(levels_[level], position);
  return true;
}

bool MenuSession::Choose() {
  Menu* m = FindMenu(highlightedIn_);
  if (!open_ || !m || highlighted_ < 0 || highlighted_ >= (int)m->items.size()) {
    Close();
    return false;
  }
  MenuItem item = m->items[(size_t)highlighted_];
  bool system = m->system;
  Close();
  if (!Executable(item)) return false;
  if (system) {
    PostMessage(window_, WM_SYSCOMMAND, item.id, 0);
  } else {
    PostMessage(window_, WM_COMMAND, MAKEWPARAM(item.id, 0), 0);
  }
  return true;
}

void MenuSession::Close() {
  if (!open_) return;
  open_ = false;
  levels_.clear();
  title_ = -1;
  if (!IsWindow(window_)) return;
  SendMessage(window_, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
  if (IsWindow(window_)) SendMessage(window_, WM_EXITMENULOOP, FALSE, 0);
}

bool PickMenuItem(HWND window, UINT commandId) {
  std::vector<int> path;
  if (!PathTo(GetMenu(window), commandId, &path)) return false;
  MenuSession session(window);
  if (!session.Open() || !session.OpenPopup(path[0])) return false;
  if (path.size() == 1) return session.Choose();
  return Sweep(&session, path, 1);
}

bool PickSystemMenuItem(HWND window, UINT command) {
  std::vector<int> path;
  if (!PathTo(plat::menu::SystemMenuOf(window), command, &path)) return false;
  MenuSession session(window, true);
  return session.Open() && Sweep(&session, path, 0);
}

}  // namespace plat::gui
