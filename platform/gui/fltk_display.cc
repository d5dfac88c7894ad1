// One wait for FLTK and the layer: the reactor polls the X connection and hands
// its events to FLTK (Fl::check, never a sleeping Fl::wait), and before the
// process sleeps the views are synced and drawn and events Xlib has already
// read are handled. FLTK never runs a modal loop of its own here: menus are
// tracked through the program's loop (fltk_menus.h), message boxes are the
// layer's dialogs, and the file chooser is shown while the layer's loop runs.
// So sockets, timers and other processes' messages are served throughout.
#include "gui/fltk_display.h"

#include <FL/Fl.H>
#include <FL/Fl_Tooltip.H>

#include <utility>

#include "gui/display_choice.h"
#include "gui/fltk_child_views.h"
#include "gui/fltk_fonts.h"
#include "gui/fltk_menus.h"
#include "gui/fltk_top_view.h"
#include "gui/fltk_x11.h"
#include "win/message_queue.h"
#include "win/reactor.h"
#include "win/window_table.h"

namespace plat::gui::fltk {

namespace {

FltkDisplay* instance = nullptr;
uint64_t gesturesQueued = 0;

HWND TopLevelOf(HWND hwnd) {
  plat::win::Window* w = plat::win::FindWindowRecord(hwnd);
  while (w && (w->style & WS_CHILD))
    w = plat::win::FindWindowRecord(w->parent);
  return w ? w->handle : nullptr;
}

// Sees map and unmap of top views before FLTK does: only these tell a window
// manager's minimising and restoring.
int Dispatch(int event, Fl_Window* window) {
  if (auto* top = dynamic_cast<TopView*>(window)) {
    if (event == FL_SHOW) top->Mapped();
    if (event == FL_HIDE) top->Unmapped();
  }
  return Fl::handle_(event, window);
}

bool BeforeSleep() {
  uint64_t before = gesturesQueued;
  instance->Sync();
  instance->Pump();
  return gesturesQueued != before || EventsQueued();
}

}  // namespace

FltkDisplay& TheFltk() {
  return *instance;
}

void Gesture(std::function<void()> gesture) {
  ++gesturesQueued;
  plat::win::TheQueue().PostInput([gesture = std::move(gesture)] {
    gesture();
    if (instance) instance->MarkDirty();  // menu sessions change without display hooks
  });
}

FltkDisplay::FltkDisplay() : menus_(std::make_unique<MenuTracker>()) {
  instance = this;
  Fl::background(192, 192, 192);
  Fl::visible_focus(0);
  Fl_Tooltip::disable();
  Fl::event_dispatch(Dispatch);
  MeasureWithRealFonts();
  plat::win::TheReactor().Watch(ConnectionFd(), POLLIN, [](short) {
    instance->Sync();
    instance->Pump();
  });
  plat::win::TheReactor().SetBeforeSleep(BeforeSleep);
}

FltkDisplay::~FltkDisplay() {
  plat::win::TheReactor().SetBeforeSleep(nullptr);
  plat::win::TheReactor().Unwatch(ConnectionFd());
  instance = nullptr;
}

void FltkDisplay::Pump() {
  Fl::check();
  if (wakeWhen_ && wakeWhen_()) {
    wakeWhen_ = nullptr;
    PostThreadMessage(GetCurrentThreadId(), WM_NULL, 0, 0);
  }
}

void FltkDisplay::WindowCreated(HWND hwnd) {
  plat::win::Window* w = plat::win::FindWindowRecord(hwnd);
  if (!w) return;
  if (w->style & WS_CHILD) {
    AddChild(hwnd);
  } else {
    tops_[hwnd] = std::make_unique<TopView>(hwnd);
  }
  dirty_ = true;
}

void FltkDisplay::AddChild(HWND hwnd) {
  TopView* top = TopOf(hwnd);
  if (!top) return;
  ChildView* view = MakeChildView(hwnd);
  top->add(view);
  children_[hwnd] = view;
}

void FltkDisplay::WindowDestroyed(HWND hwnd) {
  pictures_.erase(hwnd);
  if (auto it = children_.find(hwnd); it != children_.end()) {
    ChildView* view = it->second;
    children_.erase(it);
    if (Fl_Group* parent = view->parent()) parent->remove(view);
    delete view;
  }
  if (auto it = tops_.find(hwnd); it != tops_.end()) {
    for (auto c = children_.begin(); c != children_.end();) {
      if (c->second->parent() == it->second.get()) {
        c = children_.erase(c);
      } else {
        ++c;
      }
    }
    if (focusShown_ && TopLevelOf(focusShown_) == hwnd) focusShown_ = nullptr;
    tops_.erase(it);  // the group deletes its child views
  }
  dirty_ = true;
}

void FltkDisplay::WindowChanged(HWND) {
  dirty_ = true;
}

void FltkDisplay::WindowActivated(HWND hwnd) {
  if (TopView* top = TopOf(hwnd)) top->WantKeyboardFocus();
  dirty_ = true;
}

void FltkDisplay::FocusChanged(HWND) {
  dirty_ = true;
}

void FltkDisplay::ControlChanged(HWND control) {
  Redraw(control);
  dirty_ = true;
}

void FltkDisplay::MenuChanged(HMENU) {
  dirty_ = true;
}

void FltkDisplay::MenuBarChanged(HWND) {
  dirty_ = true;
}

void FltkDisplay::Drawn(HWND hwnd, const plat::gdi::DrawList& ops) {
  pictures_[hwnd].Add(ops);
  Redraw(hwnd);
}

void FltkDisplay::Redraw(HWND hwnd) {
  if (ChildView* child = ChildOf(hwnd)) {
    child->redraw();
  } else if (TopView* top = TopOf(hwnd)) {
    top->redraw();
  }
}

void FltkDisplay::Beep(UINT) {
  RingBell();
}

void FltkDisplay::Sync() {
  if (!dirty_) return;
  dirty_ = false;
  for (auto& [hwnd, top] : tops_) {
    top->Sync();
    if (top->shown()) top->redraw();
  }
  for (auto& [hwnd, child] : children_) {
    if (TopView* top = TopOf(hwnd)) child->Sync(top);
  }
  menus_->Sync();
}

TopView* FltkDisplay::TopOf(HWND hwnd) const {
  auto it = tops_.find(TopLevelOf(hwnd));
  return it == tops_.end() ? nullptr : it->second.get();
}

ChildView* FltkDisplay::ChildOf(HWND hwnd) const {
  auto it = children_.find(hwnd);
  return it == children_.end() ? nullptr : it->second;
}

const plat::gdi::DrawList& FltkDisplay::Picture(HWND hwnd) const {
  static const plat::gdi::DrawList none;
  auto it = pictures_.find(hwnd);
  return it == pictures_.end() ? none : it->second.Ops();
}

}  // namespace plat::gui::fltk

namespace plat::gui {

Display* OpenFltkDisplay() {
  if (!fltk::OpenConnection()) return nullptr;
  static fltk::FltkDisplay* display = new fltk::FltkDisplay;  // lives as long as its windows
  return display;
}

}  // namespace plat::gui
