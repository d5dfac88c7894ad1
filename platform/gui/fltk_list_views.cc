// List boxes draw their lines from the top index with the list's tab stops,
// which the layer computes from the same font metrics; a real scroll bar moves
// the top index. A dropped combo box shows its list in a pop-up window under
// the box that holds FLTK's grab until the person picks an entry or clicks
// elsewhere.
#include "gui/fltk_list_views.h"

#include <FL/Fl.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Scrollbar.H>
#include <FL/fl_draw.H>

#include <algorithm>

#include "controls/control_support.h"
#include "gui/fltk_display.h"
#include "gui/fltk_paint.h"
#include "gui/fltk_top_view.h"
#include "gui/person.h"

namespace plat::gui::fltk {

namespace {

constexpr int kScrollWidth = 16;
constexpr int kButtonWidth = 16;

Fl_Color Gray() {
  return fl_rgb_color(192, 192, 192);
}

int ItemHeight(const LOGFONT& font) {
  return std::max(1, plat::gdi::MetricsOf(font).height);
}

// One line of a list: runs between tabs at the stops, highlighted when selected.
void DrawItem(const LOGFONT& font, const std::string& text, const std::vector<int>& stops, int x,
              int y, int w, bool selected, bool disabled) {
  int height = ItemHeight(font);
  FillRect(x, y, w, height, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  COLORREF ink = GetSysColor(selected   ? COLOR_HIGHLIGHTTEXT
                             : disabled ? COLOR_GRAYTEXT
                                        : COLOR_WINDOWTEXT);
  int defaultWidth = 8 * plat::gdi::MetricsOf(font).aveCharWidth;
  int at = x + 2;
  size_t from = 0;
  while (true) {
    size_t tab = text.find('\t', from);
    std::string run = text.substr(from, tab == std::string::npos ? std::string::npos : tab - from);
    DrawLabel(font, Label{run, -1}, at, y, ink);
    if (tab == std::string::npos) break;
    at = NextTabStop(stops, x + 2, at + TextWidth(font, run), defaultWidth);
    from = tab + 1;
  }
}

class ListView : public ChildView {
 public:
  explicit ListView(HWND hwnd) : ChildView(hwnd), scrollbar_(0, 0, kScrollWidth, 10) {
    add(scrollbar_);
    scrollbar_.type(FL_VERTICAL);
    scrollbar_.hide();
    scrollbar_.callback(
        [](Fl_Widget* w, void* data) {
          HWND list = static_cast<ListView*>(data)->hwnd();
          int top = (int)static_cast<Fl_Scrollbar*>(w)->value();
          Gesture([list, top] { ScrollListTo(list, top); });
        },
        this);
  }

  int handle(int event) override {
    if (scrollbar_.visible() && Fl::event_inside(&scrollbar_)) return Fl_Group::handle(event);
    const plat::controls::ListBoxState* s = plat::controls::ListBoxOf(hwnd_);
    if (!s || !Enabled()) return 0;
    switch (event) {
      case FL_PUSH: {
        int row = (Fl::event_y() - y() - Border()) / ItemHeight(Font());
        int index = s->top + row;
        HWND list = hwnd_;
        if (index >= s->list.Count()) {
          Gesture([list] { FocusOn(list); });
        } else if (Fl::event_clicks() > 0) {
          Gesture([list, index] { DoubleClickListItem(list, index); });
        } else {
          UINT keys = Keys();
          Gesture([list, index, keys] { PickListItem(list, index, keys); });
        }
        return 1;
      }
      case FL_RELEASE:
      case FL_DRAG:
        return 1;
      case FL_MOUSEWHEEL: {
        int top = std::clamp(s->top + 3 * Fl::event_dy(), 0, std::max(0, s->list.Count() - 1));
        HWND list = hwnd_;
        Gesture([list, top] { ScrollListTo(list, top); });
        return 1;
      }
    }
    return 0;
  }

 private:
  int Border() const { return (Style() & WS_BORDER) ? 2 : 0; }
  int Rows() const { return std::max(1, (h() - 2 * Border()) / ItemHeight(Font())); }

  void Refresh() override {
    const plat::controls::ListBoxState* s = plat::controls::ListBoxOf(hwnd_);
    if (!s) return;
    int rows = Rows();
    bool needed = (Style() & WS_VSCROLL) && s->list.Count() > rows;
    scrollbar_.resize(x() + w() - Border() - kScrollWidth, y() + Border(), kScrollWidth,
                      h() - 2 * Border());
    if (needed) {
      scrollbar_.value(s->top, rows, 0, s->list.Count());
      scrollbar_.linesize(1);
      if (!scrollbar_.visible()) scrollbar_.show();
    } else if (scrollbar_.visible()) {
      scrollbar_.hide();
    }
    // A caret moved by the keyboard out of sight scrolls the list, as Win32's does.
    if (s->caret != caret_) {
      caret_ = s->caret;
      int top = s->top;
      if (caret_ < top) top = caret_;
      if (caret_ >= top + rows) top = caret_ - rows + 1;
      if (top != s->top && Focused()) {
        HWND list = hwnd_;
        Gesture([list, top] { ScrollListTo(list, top); });
      }
    }
  }

  void DrawControl() override {
    const plat::controls::ListBoxState* s = plat::controls::ListBoxOf(hwnd_);
    if (!s) return;
    int b = Border();
    if (b) fl_draw_box(FL_DOWN_BOX, x(), y(), w(), h(), Gray());
    int inner = w() - 2 * b - (scrollbar_.visible() ? kScrollWidth : 0);
    FillRect(x() + b, y() + b, inner, h() - 2 * b, GetSysColor(COLOR_WINDOW));
    LOGFONT font = Font();
    std::vector<int> stops = plat::controls::TabStopsInPixels(hwnd_);
    bool multiple = Style() & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL);
    int itemHeight = ItemHeight(font);
    fl_push_clip(x() + b, y() + b, inner, h() - 2 * b);
    for (int i = s->top, row = 0; i < s->list.Count() && row <= Rows(); ++i, ++row) {
      bool selected = multiple ? s->list.items[(size_t)i].selected : i == s->selected;
      int top = y() + b + row * itemHeight;
      DrawItem(font, s->list.items[(size_t)i].text, stops, x() + b, top, inner, selected,
               !Enabled());
      if (Focused() && i == s->caret) FocusRect(x() + b, top, inner, itemHeight);
    }
    if (Focused() && s->list.Count() == 0) FocusRect(x() + b, y() + b, inner, itemHeight);
    fl_pop_clip();
  }

  Fl_Scrollbar scrollbar_;
  int caret_ = -1;
};

class ComboView;

class ComboPopup : public Fl_Double_Window {
 public:
  explicit ComboPopup(ComboView* combo) : Fl_Double_Window(1, 1), combo_(combo) {
    end();
    set_override();
    set_menu_window();
  }
  int handle(int event) override;
  void draw() override;
  int top = 0;

 private:
  ComboView* combo_;
};

class ComboView : public ChildView {
 public:
  explicit ComboView(HWND hwnd) : ChildView(hwnd), popup_(this) {}
  ~ComboView() override {
    if (Fl::grab() == &popup_) Fl::grab(nullptr);
  }

  int handle(int event) override {
    if (!Enabled()) return 0;
    if (event == FL_RELEASE || event == FL_DRAG) return 1;
    if (event != FL_PUSH) return 0;
    HWND combo = hwnd_;
    bool onButton = Fl::event_x() >= x() + w() - kButtonWidth - 2;
    if (HasEdit() && !onButton) {
      Gesture([combo] { FocusOn(combo); });
    } else {
      Gesture([combo] {
        const plat::controls::ComboBoxState* s = plat::controls::ComboBoxOf(combo);
        DropDown(combo, !(s && s->dropped));
      });
    }
    return 1;
  }

  const plat::controls::ComboBoxState* State() const { return plat::controls::ComboBoxOf(hwnd_); }
  LOGFONT ListFont() const { return Font(); }
  int VisibleRows() const {
    const plat::controls::ComboBoxState* s = State();
    int rows = s ? (s->droppedHeight - h() - 2) / ItemHeight(Font()) : 1;
    return std::clamp(rows, 1, std::max(1, s ? s->list.Count() : 1));
  }

 private:
  bool HasEdit() const { return (Style() & 3) != CBS_DROPDOWNLIST; }

  void Refresh() override {
    const plat::controls::ComboBoxState* s = State();
    TopView* top = TheFltk().TopOf(hwnd_);
    bool open = s && s->dropped && top && top->shown() && visible();
    if (!open) {
      if (Fl::grab() == &popup_) Fl::grab(nullptr);
      if (popup_.shown()) popup_.hide();
      return;
    }
    int rows = VisibleRows();
    if (s->selected >= 0) {
      if (s->selected < popup_.top) popup_.top = s->selected;
      if (s->selected >= popup_.top + rows) popup_.top = s->selected - rows + 1;
    }
    popup_.top = std::clamp(popup_.top, 0, std::max(0, s->list.Count() - rows));
    int px = top->x() + x(), py = top->y() + y() + h();
    int pw = w(), ph = rows * ItemHeight(Font()) + 2;
    if (popup_.x() != px || popup_.y() != py || popup_.w() != pw || popup_.h() != ph)
      popup_.resize(px, py, pw, ph);
    if (!popup_.shown()) popup_.show();
    if (Fl::grab() != &popup_) Fl::grab(&popup_);
    popup_.redraw();
  }

  void DrawControl() override {
    const plat::controls::ComboBoxState* s = State();
    if (!s) return;
    fl_draw_box(FL_DOWN_BOX, x(), y(), w(), h(), Gray());
    int bx = x() + w() - kButtonWidth - 2;
    COLORREF background = GetSysColor(Enabled() ? COLOR_WINDOW : COLOR_BTNFACE);
    FillRect(x() + 2, y() + 2, w() - kButtonWidth - 4, h() - 4, background);
    fl_draw_box(s->dropped ? FL_DOWN_BOX : FL_UP_BOX, bx, y() + 2, kButtonWidth, h() - 4, Gray());
    SetColor(GetSysColor(Enabled() ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    int ax = bx + kButtonWidth / 2, ay = y() + h() / 2;
    fl_polygon(ax - 4, ay - 2, ax + 4, ay - 2, ax, ay + 2);
    LOGFONT font = Font();
    std::string text = plat::controls::TextOf(hwnd_);
    if (HasEdit()) {
      DrawEditLine(x() + 4, y() + 2, w() - kButtonWidth - 8, h() - 4, font, text, s->selStart,
                   s->selEnd, Focused(), !Enabled(), &scroll_);
      return;
    }
    plat::gdi::FontMetrics m = plat::gdi::MetricsOf(font);
    int textTop = y() + (h() - m.height) / 2;
    bool focused = Focused() && !s->dropped;
    if (focused)
      FillRect(x() + 3, textTop, w() - kButtonWidth - 6, m.height, GetSysColor(COLOR_HIGHLIGHT));
    COLORREF ink = GetSysColor(focused     ? COLOR_HIGHLIGHTTEXT
                               : Enabled() ? COLOR_WINDOWTEXT
                                           : COLOR_GRAYTEXT);
    DrawLabel(font, Label{text, -1}, x() + 4, textTop, ink);
    if (focused) FocusRect(x() + 3, textTop, w() - kButtonWidth - 6, m.height);
  }

  ComboPopup popup_;
  int scroll_ = 0;
};

int ComboPopup::handle(int event) {
  const plat::controls::ComboBoxState* s = combo_->State();
  if (!s) return 0;
  HWND combo = combo_->hwnd();
  bool inside = Fl::event_x_root() >= x() && Fl::event_x_root() < x() + w() &&
                Fl::event_y_root() >= y() && Fl::event_y_root() < y() + h();
  switch (event) {
    case FL_PUSH:
      if (!inside) {
        // The press that closes the list also reaches what it was over in Win32,
        // but only its own box here: a person clicks again.
        Gesture([combo] { DropDown(combo, false); });
      }
      return 1;
    case FL_RELEASE: {
      if (!inside) return 1;
      int index = top + (Fl::event_y_root() - y() - 1) / ItemHeight(combo_->ListFont());
      if (index >= 0 && index < s->list.Count())
        Gesture([combo, index] { PickComboItem(combo, index); });
      return 1;
    }
    case FL_MOUSEWHEEL:
      top =
          std::clamp(top + Fl::event_dy(), 0, std::max(0, s->list.Count() - combo_->VisibleRows()));
      redraw();
      return 1;
    case FL_KEYBOARD:
      if (Fl::event_key() == FL_Escape) Gesture([combo] { DropDown(combo, false); });
      return 1;
  }
  return 1;
}

void ComboPopup::draw() {
  const plat::controls::ComboBoxState* s = combo_->State();
  fl_color(FL_BLACK);
  fl_rect(0, 0, w(), h());
  FillRect(1, 1, w() - 2, h() - 2, GetSysColor(COLOR_WINDOW));
  if (!s) return;
  LOGFONT font = combo_->ListFont();
  int itemHeight = ItemHeight(font);
  for (int i = top, row = 0; i < s->list.Count() && row < combo_->VisibleRows(); ++i, ++row)
    DrawItem(font, s->list.items[(size_t)i].text, {}, 1, 1 + row * itemHeight, w() - 2,
             i == s->selected, false);
}

}  // namespace

int NextTabStop(const std::vector<int>& stops, int origin, int end, int defaultWidth) {
  if (stops.size() == 1) defaultWidth = stops[0];
  if (stops.size() > 1) {
    for (int stop : stops) {
      if (origin + stop > end) return origin + stop;
    }
  }
  if (defaultWidth <= 0) return end;
  return origin + ((end - origin) / defaultWidth + 1) * defaultWidth;
}

ChildView* MakeListView(HWND hwnd) {
  return new ListView(hwnd);
}

ChildView* MakeComboView(HWND hwnd) {
  return new ComboView(hwnd);
}

}  // namespace plat::gui::fltk
