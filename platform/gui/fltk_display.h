// The FLTK backend. Every layer window is mirrored: a top-level window by an X
// window (TopView) holding its menu bar and client area, a child window by a
// widget inside it (ChildView). Mirroring happens in Sync, before the process
// sleeps, from the layer's state alone; FLTK's event handlers never call the
// layer, they queue a person's gestures (Gesture), which the message loop runs.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <utility>

#include "gdi/draw_list.h"
#include "gui/display.h"

namespace plat::gui::fltk {

class TopView;
class ChildView;
class MenuTracker;

class FltkDisplay : public Display {
 public:
  FltkDisplay();
  ~FltkDisplay() override;

  void WindowCreated(HWND hwnd) override;
  void WindowDestroyed(HWND hwnd) override;
  void WindowChanged(HWND hwnd) override;
  void WindowActivated(HWND hwnd) override;
  void FocusChanged(HWND focus) override;
  void ControlChanged(HWND control) override;
  void MenuChanged(HMENU menu) override;
  void MenuBarChanged(HWND hwnd) override;
  void Drawn(HWND hwnd, const plat::gdi::DrawList& ops) override;
  void Beep(UINT type) override;
  BOOL GetOpenFileName(OPENFILENAME* ofn) override;

  // Brings every view in line with the layer; cheap when nothing changed.
  void Sync();
  // Runs FLTK's event handling and drawing without sleeping.
  void Pump();
  void MarkDirty() { dirty_ = true; }
  // A loop waiting for something FLTK does is woken (a thread WM_NULL) when
  // `done` turns true after FLTK handled events; null stops watching.
  void WakeWhen(std::function<bool()> done) { wakeWhen_ = std::move(done); }

  TopView* TopOf(HWND hwnd) const;  // the view of hwnd's top-level window
  ChildView* ChildOf(HWND hwnd) const;
  const plat::gdi::DrawList& Picture(HWND hwnd) const;
  MenuTracker& Menus() { return *menus_; }

 private:
  void AddChild(HWND hwnd);
  void Redraw(HWND hwnd);

  std::map<HWND, std::unique_ptr<TopView>> tops_;
  std::map<HWND, ChildView*> children_;  // owned by their top view's group
  std::map<HWND, plat::gdi::RetainedPicture> pictures_;
  std::unique_ptr<MenuTracker> menus_;
  HWND focusShown_ = nullptr;
  std::function<bool()> wakeWhen_;
  bool dirty_ = true;
};

FltkDisplay& TheFltk();

// A person's gesture read from FLTK's events, run later by the message loop
// through the person API.
void Gesture(std::function<void()> gesture);

}  // namespace plat::gui::fltk
