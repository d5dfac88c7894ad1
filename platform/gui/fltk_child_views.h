// Widgets that show the layer's child windows: each control kind is drawn from
// its state (controls/control_state.h) and turns a person's presses, clicks,
// wheel turns and scroll bar drags into gestures. Any other child window shows
// its recorded painting. Keys never stop here: the top view sends them to the
// layer's focus.
#pragma once

#include <FL/Fl_Group.H>

#include "platform/wingdi.h"

namespace plat::gui::fltk {

class TopView;

class ChildView : public Fl_Group {
 public:
  explicit ChildView(HWND hwnd);
  HWND hwnd() const { return hwnd_; }
  // Geometry and visibility from the layer, then the kind's own parts.
  void Sync(TopView* top);
  void draw() override;

 protected:
  virtual void Refresh() {}
  virtual void DrawControl() = 0;
  LOGFONT Font() const;
  bool Enabled() const;
  bool Focused() const;
  DWORD Style() const;
  UINT Keys() const;  // MK_SHIFT, MK_CONTROL of the current event

  HWND hwnd_;
};

// The view for a child window of this class.
ChildView* MakeChildView(HWND hwnd);

}  // namespace plat::gui::fltk
