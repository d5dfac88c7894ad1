// Buttons, edits, statics and painted children. Clicks act when the button
// comes up over the control, as Win32's do; an edit or a transparent static
// leaves the press to the top view, which hits the layer's window under it.
#include "gui/fltk_child_views.h"

#include <FL/Fl.H>
#include <FL/fl_draw.H>

#include <strings.h>

#include <algorithm>

#include "controls/control_support.h"
#include "gdi/gdi_objects.h"
#include "gui/fltk_display.h"
#include "gui/fltk_list_views.h"
#include "gui/fltk_paint.h"
#include "gui/fltk_top_view.h"
#include "gui/person.h"
#include "resource/icon_table.h"
#include "win/window_table.h"

namespace plat::gui::fltk {

namespace {

Fl_Color Gray() {
  return fl_rgb_color(192, 192, 192);
}

HFONT FontHandle(HWND hwnd) {
  using namespace plat::controls;
  if (const ButtonState* s = ButtonOf(hwnd)) return s->font;
  if (const EditState* s = EditOf(hwnd)) return s->font;
  if (const StaticState* s = StaticOf(hwnd)) return s->font;
  if (const ListBoxState* s = ListBoxOf(hwnd)) return s->font;
  if (const ComboBoxState* s = ComboBoxOf(hwnd)) return s->font;
  return nullptr;
}

// Splits text into lines that fit `width`, breaking at blanks where it can.
std::vector<std::string> Wrap(const LOGFONT& font, const std::string& text, int width, bool wrap) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (true) {
    size_t end = text.find('\n', start);
    std::string line =
        text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    while (wrap && TextWidth(font, line) > width) {
      size_t cut = line.size();
      while (cut > 0 && TextWidth(font, line.substr(0, cut)) > width)
        --cut;
      size_t blank = line.rfind(' ', cut);
      if (blank != std::string::npos && blank > 0) cut = blank;
      if (cut == 0) cut = 1;
      lines.push_back(line.substr(0, cut));
      line.erase(0, cut);
      if (!line.empty() && line[0] == ' ') line.erase(0, 1);
    }
    lines.push_back(line);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

class ButtonView : public ChildView {
 public:
  using ChildView::ChildView;

  int handle(int event) override {
    switch (event) {
      case FL_PUSH:
        return Enabled() && Kind() != BS_GROUPBOX ? 1 : 0;
      case FL_DRAG:
        return 1;
      case FL_RELEASE:
        if (Fl::event_inside(this)) {
          HWND hwnd = hwnd_;
          Gesture([hwnd] { Click(hwnd); });
        }
        return 1;
    }
    return 0;
  }

 private:
  DWORD Kind() const { return Style() & BS_TYPEMASK; }

  void DrawControl() override {
    const plat::controls::ButtonState* s = plat::controls::ButtonOf(hwnd_);
    if (!s) return;
    LOGFONT font = Font();
    plat::gdi::FontMetrics m = plat::gdi::MetricsOf(font);
    Label label = ParseLabel(plat::controls::TextOf(hwnd_));
    bool disabled = !Enabled();
    COLORREF text = GetSysColor(COLOR_BTNTEXT);
    int textTop = y() + (h() - m.height) / 2;
    switch (Kind()) {
      case BS_GROUPBOX: {
        FillRect(x(), y(), w(), h(), GetSysColor(COLOR_BTNFACE));
        int top = y() + m.height / 2;
        fl_draw_box(FL_ENGRAVED_FRAME, x(), top, w(), h() - (top - y()), Gray());
        int tw = TextWidth(font, label.text);
        if (tw) {
          FillRect(x() + 6, y(), tw + 4, m.height, GetSysColor(COLOR_BTNFACE));
          DrawLabel(font, label, x() + 8, y(), text, disabled);
        }
        return;
      }
      case BS_CHECKBOX:
      case BS_AUTOCHECKBOX:
      case BS_3STATE:
      case BS_AUTO3STATE:
      case BS_RADIOBUTTON:
      case BS_AUTORADIOBUTTON: {
        FillRect(x(), y(), w(), h(), GetSysColor(COLOR_BTNFACE));
        bool radio = Kind() == BS_RADIOBUTTON || Kind() == BS_AUTORADIOBUTTON;
        int bx = x(), by = y() + (h() - 13) / 2;
        Fl_Color inside = disabled ? Gray() : FL_WHITE;
        if (radio) {
          fl_color(inside);
          fl_pie(bx, by, 12, 12, 0, 360);
          fl_color(fl_rgb_color(128, 128, 128));
          fl_arc(bx, by, 12, 12, 45, 225);
          fl_color(FL_WHITE);
          fl_arc(bx, by, 12, 12, 225, 405);
          if (s->check == BST_CHECKED) {
            fl_color(FL_BLACK);
            fl_pie(bx + 4, by + 4, 5, 5, 0, 360);
          }
        } else {
          fl_draw_box(FL_DOWN_BOX, bx, by, 13, 13, inside);
          if (s->check != BST_UNCHECKED) {
            fl_color(s->check == BST_INDETERMINATE ? fl_rgb_color(128, 128, 128) : FL_BLACK);
            for (int d = 0; d < 3; ++d) {
              fl_line(bx + 3, by + 5 + d, bx + 5, by + 7 + d);
              fl_line(bx + 5, by + 7 + d, bx + 9, by + 3 + d);
            }
          }
        }
        DrawLabel(font, label, x() + 17, textTop, text, disabled);
        if (Focused())
          FocusRect(x() + 15, textTop - 1, TextWidth(font, label.text) + 4, m.height + 2);
        return;
      }
    }
    bool isDefault = Kind() == BS_DEFPUSHBUTTON;
    int inset = isDefault ? 1 : 0;
    if (isDefault) {
      fl_color(FL_BLACK);
      fl_rect(x(), y(), w(), h());
    }
    fl_draw_box(s->pushed ? FL_DOWN_BOX : FL_UP_BOX, x() + inset, y() + inset, w() - 2 * inset,
                h() - 2 * inset, Gray());
    int tw = TextWidth(font, label.text);
    int shift = s->pushed ? 1 : 0;
    DrawLabel(font, label, x() + (w() - tw) / 2 + shift, textTop + shift, text, disabled);
    if (Focused()) FocusRect(x() + 4, y() + 4, w() - 8, h() - 8);
  }
};

class EditView : public ChildView {
 public:
  using ChildView::ChildView;

  int handle(int event) override {
    if (event != FL_PUSH) return event == FL_RELEASE || event == FL_DRAG ? 1 : 0;
    if (!Enabled()) return 0;
    HWND hwnd = hwnd_;
    Gesture([hwnd] { Click(hwnd); });
    return 1;
  }

 private:
  void DrawControl() override {
    const plat::controls::EditState* s = plat::controls::EditOf(hwnd_);
    if (!s) return;
    COLORREF background =
        GetSysColor(Enabled() && !(Style() & ES_READONLY) ? COLOR_WINDOW : COLOR_BTNFACE);
    if (Style() & WS_BORDER) {
      fl_draw_box(FL_DOWN_BOX, x(), y(), w(), h(), Gray());
      FillRect(x() + 2, y() + 2, w() - 4, h() - 4, background);
    } else {
      FillRect(x(), y(), w(), h(), background);
    }
    std::string text = plat::controls::TextOf(hwnd_);
    if (Style() & ES_PASSWORD) text.assign(text.size(), '*');
    DrawEditLine(x() + 3, y() + 2, w() - 6, h() - 4, Font(), text, s->selStart, s->selEnd,
                 Focused(), !Enabled(), &scroll_);
  }

  int scroll_ = 0;
};

class StaticView : public ChildView {
 public:
  using ChildView::ChildView;

  int handle(int event) override {
    if (!(Style() & SS_NOTIFY) || !Enabled()) return 0;
    if (event != FL_PUSH) return event == FL_RELEASE ? 1 : 0;
    HWND parent = GetParent(hwnd_);
    TopView* top = TheFltk().TopOf(hwnd_);
    if (!top) return 0;
    POINT at{Fl::event_x(), Fl::event_y() - top->MenuHeight()};
    POINT origin{0, 0};
    ClientToScreen(parent, &origin);
    POINT client = top->ClientOrigin();
    at.x += client.x - origin.x;
    at.y += client.y - origin.y;
    UINT keys = Keys();
    bool twice = Fl::event_clicks() > 0;
    Gesture([parent, at, keys, twice] {
      if (twice) {
        DoubleClickAt(parent, at, keys);
      } else {
        ClickAt(parent, at, keys);
      }
    });
    return 1;
  }

 private:
  void DrawControl() override {
    const plat::controls::StaticState* s = plat::controls::StaticOf(hwnd_);
    if (!s) return;
    DWORD type = Style() & SS_TYPEMASK;
    if (type == SS_ICON) {
      DrawIconImage(plat::res::IconImageOf(s->icon), x(), y());
      return;
    }
    FillRect(x(), y(), w(), h(), GetSysColor(COLOR_BTNFACE));
    LOGFONT font = Font();
    plat::gdi::FontMetrics m = plat::gdi::MetricsOf(font);
    Label label = ParseLabel(plat::controls::TextOf(hwnd_), !(Style() & SS_NOPREFIX));
    bool wrap = type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT;
    std::vector<std::string> lines = Wrap(font, label.text, w(), wrap);
    fl_push_clip(x(), y(), w(), h());
    int top = y(), offset = 0;
    for (const std::string& line : lines) {
      int lw = TextWidth(font, line);
      int left = type == SS_CENTER ? x() + (w() - lw) / 2 : type == SS_RIGHT ? x() + w() - lw : x();
      int underline = label.underline - offset;
      Label part{line, underline >= 0 && underline < (int)line.size() ? underline : -1};
      DrawLabel(font, part, left, top, GetSysColor(COLOR_WINDOWTEXT), !Enabled());
      offset += (int)line.size();
      top += m.height;
    }
    fl_pop_clip();
  }
};

class PaintedView : public ChildView {
 public:
  using ChildView::ChildView;
  int handle(int) override { return 0; }

 private:
  void DrawControl() override {
    plat::win::Window* w = plat::win::FindWindowRecord(hwnd_);
    if (!w) return;
    RECT in = plat::win::NonClientInsets(*w);
    if (w->style & WS_BORDER) {
      fl_color(FL_BLACK);
      fl_rect(x(), y(), this->w(), h());
    }
    COLORREF background = GetSysColor(COLOR_WINDOW);
    plat::gdi::BrushColor(w->cls->wc.hbrBackground, &background);
    int cx = x() + in.left, cy = y() + in.top;
    int cw = this->w() - in.left - in.right, ch = h() - in.top - in.bottom;
    fl_push_clip(cx, cy, cw, ch);
    FillRect(cx, cy, cw, ch, background);
    Replay(TheFltk().Picture(hwnd_), cx, cy);
    fl_pop_clip();
  }
};

}  // namespace

void DrawEditLine(int left, int top, int width, int height, const LOGFONT& font,
                  const std::string& text, DWORD selStart, DWORD selEnd, bool focused,
                  bool disabled, int* scroll) {
  plat::gdi::FontMetrics m = plat::gdi::MetricsOf(font);
  DWORD lo = std::min<DWORD>(std::min(selStart, selEnd), (DWORD)text.size());
  DWORD hi = std::min<DWORD>(std::max(selStart, selEnd), (DWORD)text.size());
  DWORD caret = std::min<DWORD>(selEnd, (DWORD)text.size());
  int caretX = TextWidth(font, text.substr(0, caret));
  if (caretX - *scroll > width - 2) *scroll = caretX - width + 2;
  if (caretX < *scroll) *scroll = caretX;
  int textTop = top + (height - m.height) / 2;
  fl_push_clip(left, top, width, height);
  int at = left - *scroll;
  COLORREF ink = GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT);
  auto run = [&](DWORD from, DWORD to, bool selected) {
    std::string part = text.substr(from, to - from);
    int pw = TextWidth(font, part);
    if (selected) FillRect(at, textTop, pw, m.height, GetSysColor(COLOR_HIGHLIGHT));
    DrawLabel(font, Label{part, -1}, at, textTop,
              selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : ink);
    at += pw;
  };
  bool showSelection = focused && lo < hi;
  run(0, showSelection ? lo : (DWORD)text.size(), false);
  if (showSelection) {
    run(lo, hi, true);
    run(hi, (DWORD)text.size(), false);
  }
  if (focused && !showSelection) {
    SetColor(ink);
    fl_yxline(left - *scroll + caretX, textTop, textTop + m.height - 1);
  }
  fl_pop_clip();
}

ChildView::ChildView(HWND hwnd) : Fl_Group(0, 0, 1, 1), hwnd_(hwnd) {
  end();
  box(FL_NO_BOX);
}

void ChildView::Sync(TopView* top) {
  RECT r;
  if (GetWindowRect(hwnd_, &r)) {
    POINT origin = top->ClientOrigin();
    int nx = r.left - origin.x, ny = r.top - origin.y + top->MenuHeight();
    int nw = std::max<int>(1, r.right - r.left), nh = std::max<int>(1, r.bottom - r.top);
    if (nx != x() || ny != y() || nw != w() || nh != h()) resize(nx, ny, nw, nh);
  }
  bool visible = IsWindowVisible(hwnd_);
  if (visible && !this->visible()) show();
  if (!visible && this->visible()) hide();
  Refresh();
  redraw();
}

void ChildView::draw() {
  fl_push_clip(x(), y(), w(), h());
  DrawControl();
  fl_pop_clip();
  draw_children();
}

LOGFONT ChildView::Font() const {
  return plat::gdi::FontOf(FontHandle(hwnd_));
}

// A control looks disabled by its own state only: a disabled owner (behind a
// modal dialog) keeps its look, as in Win32, though it takes no input.
bool ChildView::Enabled() const {
  return IsWindowEnabled(hwnd_);
}

bool ChildView::Focused() const {
  return GetFocus() == hwnd_;
}

DWORD ChildView::Style() const {
  return (DWORD)GetWindowLongPtr(hwnd_, GWL_STYLE);
}

UINT ChildView::Keys() const {
  return (Fl::event_shift() ? MK_SHIFT : 0) | (Fl::event_ctrl() ? MK_CONTROL : 0);
}

// Decided by class, as the view is made before the control's state exists.
ChildView* MakeChildView(HWND hwnd) {
  using namespace plat::controls;
  plat::win::Window* w = plat::win::FindWindowRecord(hwnd);
  auto is = [&](const char* name) {
    return w && w->cls->system && strcasecmp(w->cls->name.c_str(), name) == 0;
  };
  if (is(kListBoxClass)) return MakeListView(hwnd);
  if (is(kComboBoxClass)) return MakeComboView(hwnd);
  if (is(kButtonClass)) return new ButtonView(hwnd);
  if (is(kEditClass)) return new EditView(hwnd);
  if (is(kStaticClass)) return new StaticView(hwnd);
  return new PaintedView(hwnd);
}

}  // namespace plat::gui::fltk
