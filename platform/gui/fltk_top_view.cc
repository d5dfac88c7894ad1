// A top-level view mirrors geometry, caption, visibility and the minimised
// state; its own calls to FLTK (resize, show, iconize) are bracketed by
// syncing_ so that only a person's (or window manager's) changes come back as
// gestures. Keys go to the layer's focus, whichever X window received them.
#include "gui/fltk_top_view.h"

#include <FL/Fl.H>
#include <FL/fl_draw.H>
#include <FL/fl_utf8.h>
#include <string.h>

#include <algorithm>

#include "gdi/gdi_objects.h"
#include "gui/fltk_display.h"
#include "gui/fltk_menus.h"
#include "gui/fltk_paint.h"
#include "gui/fltk_x11.h"
#include "gui/person.h"
#include "win/system_metrics.h"
#include "win/window_ops.h"
#include "win/window_table.h"

namespace plat::gui::fltk {

namespace {

constexpr int kMinWidth = 112;

struct KeyName {
  int fltk;
  int vk;
};
constexpr KeyName kKeys[] = {
    {FL_Tab, VK_TAB},       {FL_Enter, VK_RETURN},   {FL_KP_Enter, VK_RETURN},
    {FL_Escape, VK_ESCAPE}, {FL_BackSpace, VK_BACK}, {FL_Delete, VK_DELETE},
    {FL_Left, VK_LEFT},     {FL_Right, VK_RIGHT},    {FL_Up, VK_UP},
    {FL_Down, VK_DOWN},     {FL_Home, 0x24},         {FL_End, 0x23},
    {FL_Page_Up, 0x21},     {FL_Page_Down, 0x22},    {' ', VK_SPACE},
};

// Win32's virtual key of an FLTK key, and the Latin-1 character it types.
int VirtualKey(int key, const char* text, char* character) {
  *character = 0;
  if (text && text[0]) {
    char latin1[4] = {};
    fl_utf8toa(text, (unsigned)strlen(text), latin1, sizeof latin1);
    *character = latin1[0];
  }
  if (key == FL_BackSpace) *character = '\b';
  if (key == FL_Tab || key == FL_Enter || key == FL_KP_Enter || key == FL_Escape ||
      key == FL_Delete)
    *character = 0;
  for (const KeyName& k : kKeys) {
    if (k.fltk == key) return k.vk;
  }
  if (key >= 'a' && key <= 'z') return key - 'a' + 'A';
  if (key >= '0' && key <= '9') return key;
  if (key >= FL_F + 1 && key <= FL_F + 12) return 0x70 + key - FL_F - 1;
  return *character ? 0xBA : 0;  // VK_OEM_1 stands for the other signs
}

RECT InsetsOf(HWND hwnd) {
  plat::win::Window* w = plat::win::FindWindowRecord(hwnd);
  return w ? plat::win::NonClientInsets(*w) : RECT{0, 0, 0, 0};
}

}  // namespace

TopView::TopView(HWND hwnd) : Fl_Double_Window(1, 1), hwnd_(hwnd) {
  end();
  callback([](Fl_Widget* w, void*) {
    HWND hwnd = static_cast<TopView*>(w)->hwnd();
    Gesture([hwnd] { plat::win::UserClose(hwnd); });
  });
}

int TopView::MenuHeight() const {
  return GetMenu(hwnd_) ? plat::win::kMenuHeight : 0;
}

POINT TopView::ClientOrigin() const {
  return POINT{x(), y() + MenuHeight()};
}

void TopView::Sync() {
  plat::win::Window* w = plat::win::FindWindowRecord(hwnd_);
  if (!w) return;
  syncing_ = true;
  int menu = MenuHeight();
  RECT c = plat::win::ClientRectOnScreen(hwnd_);
  int width = std::max<int>(1, c.right - c.left),
      height = std::max<int>(1, c.bottom - c.top + menu);
  if (c.left != x() || c.top - menu != y() || width != this->w() || height != this->h())
    resize(c.left, c.top - menu, width, height);
  bool sizable = w->style & WS_THICKFRAME;
  if (sizable) {
    size_range(kMinWidth, menu + 1, 0, 0);
  } else {
    size_range(width, height, width, height);
  }
  if (!label() || w->text != label()) copy_label(w->text.c_str());
  if (!shown()) border((w->style & WS_CAPTION) == WS_CAPTION || sizable);

  bool visible = w->style & WS_VISIBLE;
  bool iconic = w->style & WS_MINIMIZE;
  if (!visible) {
    if (shown()) hide();
  } else if (iconic) {
    // Without a window manager nothing can show an icon: the window withdraws.
    if (!WindowManagerRunning()) {
      if (shown()) hide();
    } else if (!shown() || !iconic_) {
      iconize();
    }
  } else if (!shown() || !this->visible() || iconic_) {
    show();
    if (TopView* owner = TheFltk().TopOf(w->owner)) SetTransientFor(this, owner);
  }
  iconic_ = visible && iconic;
  syncing_ = false;
}

void TopView::WantKeyboardFocus() {
  focusWanted_ = true;
  if (shown() && visible()) GiveKeyboardFocus(this);
}

void TopView::Mapped() {
  if (focusWanted_) GiveKeyboardFocus(this);
  // A window manager shows a minimised window again: the program decides.
  if (IsIconic(hwnd_) && ShownNormal(this)) {
    iconic_ = false;
    HWND hwnd = hwnd_;
    Gesture([hwnd] { plat::win::UserRestore(hwnd); });
  }
}

void TopView::Unmapped() {
  if (syncing_ || !IsWindowVisible(hwnd_) || IsIconic(hwnd_) || !WindowManagerRunning()) return;
  iconic_ = true;
  HWND hwnd = hwnd_;
  Gesture([hwnd] { SendMessage(hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0); });
}

void TopView::resize(int x, int y, int w, int h) {
  bool moved = x != this->x() || y != this->y() || w != this->w() || h != this->h();
  Fl_Double_Window::resize(x, y, w, h);
  if (syncing_ || !moved || !shown()) return;
  RECT in = InsetsOf(hwnd_);
  int menu = MenuHeight();
  RECT frame{x - in.left, y + menu - in.top, x + w + in.right, y + h + in.bottom};
  HWND hwnd = hwnd_;
  Gesture([hwnd, frame] { MoveFrame(hwnd, frame); });
}

void TopView::draw() {
  int menu = MenuHeight();
  if (menu) TheFltk().Menus().DrawBar(this);
  fl_push_clip(0, menu, w(), h() - menu);
  COLORREF background = GetSysColor(COLOR_WINDOW);
  if (plat::win::Window* win = plat::win::FindWindowRecord(hwnd_))
    plat::gdi::BrushColor(win->cls->wc.hbrBackground, &background);
  FillRect(0, menu, w(), h() - menu, background);
  Replay(TheFltk().Picture(hwnd_), 0, menu);
  fl_pop_clip();
  draw_children();
}

int TopView::Keyboard() {
  if (Fl::event_state(FL_ALT) && TheFltk().Menus().OpenByMnemonic(hwnd_, Fl::event_text()))
    return 1;
  char character = 0;
  int vk = VirtualKey(Fl::event_key(), Fl::event_text(), &character);
  if (!vk) return 0;
  bool shift = Fl::event_state(FL_SHIFT);
  Gesture([vk, shift, character] { PressKey(vk, shift, character); });
  return 1;
}

int TopView::ClickInClient() {
  POINT at{Fl::event_x(), Fl::event_y() - MenuHeight()};
  if (at.y < 0) return 0;
  UINT keys = (Fl::event_shift() ? MK_SHIFT : 0) | (Fl::event_ctrl() ? MK_CONTROL : 0);
  HWND hwnd = hwnd_;
  bool twice = Fl::event_clicks() > 0;
  Gesture([hwnd, at, keys, twice] {
    if (twice) {
      DoubleClickAt(hwnd, at, keys);
    } else {
      ClickAt(hwnd, at, keys);
    }
  });
  return 1;
}

int TopView::handle(int event) {
  MenuTracker& menus = TheFltk().Menus();
  if (menus.Grabbing(this) && menus.Event(event)) return 1;
  switch (event) {
    case FL_FOCUS:
    case FL_UNFOCUS:
      return 1;
    case FL_KEYBOARD:
    case FL_SHORTCUT:
      return Keyboard();
    case FL_PUSH:
      if (Fl::event_y() < MenuHeight()) {
        menus.PressTitle(hwnd_, menus.TitleAt(this, Fl::event_x()));
        return 1;
      }
      if (Fl_Double_Window::handle(event)) return 1;
      return ClickInClient();
    case FL_RELEASE:
    case FL_DRAG:
    case FL_MOVE:
    case FL_ENTER:
      Fl_Double_Window::handle(event);
      return 1;
  }
  return Fl_Double_Window::handle(event);
}

}  // namespace plat::gui::fltk
