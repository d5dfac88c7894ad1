// Menus on the FLTK backend, tracked as Win32 tracks them but without a loop of
// their own: a person's presses, moves and keys become gestures on a
// MenuSession (WM_INITMENU, WM_INITMENUPOPUP, WM_MENUSELECT, the closing
// select, WM_COMMAND), and the program's own message loop keeps serving
// everything else while a menu is open. The bar and the pop-ups are drawn from
// the layer's menu state, so grey items and check marks set during
// WM_INITMENUPOPUP show at once.
#pragma once

#include <memory>
#include <vector>

#include "platform/windef.h"

namespace plat::gui {
class MenuSession;
}

namespace plat::gui::fltk {

class TopView;
class MenuPopup;

class MenuTracker {
 public:
  MenuTracker();
  ~MenuTracker();

  // The bar: drawing, the item under x, a press on it, Alt+letter.
  void DrawBar(TopView* view);
  int TitleAt(TopView* view, int x) const;
  void PressTitle(HWND window, int position);
  bool OpenByMnemonic(HWND window, const char* text);

  // While a menu is open its window holds FLTK's grab and hands every event here.
  bool Grabbing(TopView* view) const;
  bool Event(int event);

  // Brings the pop-ups and the grab in line with the session (before sleeping).
  void Sync();

  // Drawing of one open pop-up level.
  void DrawPopup(MenuPopup* popup);

 private:
  struct Target {
    enum Kind { kNothing, kTitle, kItem } kind = kNothing;
    size_t level = 0;
    int position = -1;
    bool operator==(const Target&) const = default;
  };
  Target TargetAt(int xRoot, int yRoot) const;
  void Hover(const Target& target);
  void Release(const Target& target);
  bool Key(int key, const char* text);
  void CloseSession();

  std::unique_ptr<plat::gui::MenuSession> session_;
  std::vector<std::unique_ptr<MenuPopup>> popups_;
  TopView* grabbed_ = nullptr;
  Target hovered_;
};

}  // namespace plat::gui::fltk
