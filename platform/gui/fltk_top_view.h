// The X window of a top-level layer window: the menu bar strip on top of the
// client area, which shows the window's recorded painting with its child
// views over it. Its X geometry follows the layer's client area (the window
// manager draws caption and frame); a person's moves, sizes, minimising,
// restoring and closing become gestures.
#pragma once

#include <FL/Fl_Double_Window.H>

#include "platform/windef.h"

namespace plat::gui::fltk {

class TopView : public Fl_Double_Window {
 public:
  explicit TopView(HWND hwnd);

  HWND hwnd() const { return hwnd_; }
  int MenuHeight() const;
  // Where this view puts the layer's client origin, in screen coordinates.
  POINT ClientOrigin() const;
  void Sync();
  void WantKeyboardFocus();
  // X told us the window was mapped or unmapped (a window manager's doing).
  void Mapped();
  void Unmapped();

  int handle(int event) override;
  void draw() override;
  void resize(int x, int y, int w, int h) override;

 private:
  int Keyboard();
  int ClickInClient();

  HWND hwnd_;
  bool syncing_ = false;
  bool iconic_ = false;  // what X was last asked to show
  bool focusWanted_ = false;
};

}  // namespace plat::gui::fltk
