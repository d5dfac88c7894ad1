// Pop-up levels are override-redirect windows, level 0 under its bar title,
// deeper ones beside the item that opened them. The open menu's window holds
// FLTK's grab, so every press, move and key arrives here in root coordinates.
// Gestures read the session when they run, not when the event came.
#include "gui/fltk_menus.h"

#include <FL/Fl.H>
#include <FL/Fl_Double_Window.H>
#include <FL/fl_draw.H>
#include <ctype.h>

#include <algorithm>

#include "gdi/font_metrics.h"
#include "gdi/gdi_objects.h"
#include "gui/fltk_display.h"
#include "gui/fltk_paint.h"
#include "gui/fltk_top_view.h"
#include "gui/person.h"
#include "menu/menu_table.h"

namespace plat::gui::fltk {

using plat::menu::FindMenu;
using plat::menu::Menu;
using plat::menu::MenuItem;

class MenuPopup : public Fl_Double_Window {
 public:
  MenuPopup() : Fl_Double_Window(1, 1) {
    end();
    set_override();
    set_menu_window();
  }
  HMENU menu = nullptr;
  void draw() override { TheFltk().Menus().DrawPopup(this); }
};

namespace {

constexpr int kBarPadding = 6;
constexpr int kPopupBorder = 3;
constexpr int kCheckMargin = 20;
constexpr int kSeparatorHeight = 8;

LOGFONT MenuFont() {
  return plat::gdi::FontOf((HFONT)GetStockObject(DEFAULT_GUI_FONT));
}

int ItemHeight() {
  return plat::gdi::MetricsOf(MenuFont()).height + 6;
}

std::string Before(const std::string& text, char c) {
  return text.substr(0, text.find(c));
}

std::string After(const std::string& text, char c) {
  size_t at = text.find(c);
  return at == std::string::npos ? "" : text.substr(at + 1);
}

bool Selectable(const MenuItem& item) {
  return !(item.type & MF_SEPARATOR);
}

struct Slot {
  int x, w;
};

// Bar items left to right; the MF_HELP item and those after it sit at the right end.
std::vector<Slot> BarLayout(const Menu* bar, int width) {
  std::vector<Slot> slots;
  if (!bar) return slots;
  LOGFONT font = MenuFont();
  int x = 2;
  size_t help = bar->items.size();
  for (size_t i = 0; i < bar->items.size(); ++i) {
    if ((bar->items[i].type & MF_HELP) && help == bar->items.size()) help = i;
    int w = TextWidth(font, ParseLabel(bar->items[i].text).text) + 2 * kBarPadding;
    slots.push_back(Slot{x, w});
    x += w;
  }
  if (help < slots.size()) {
    int right = width - 2;
    for (size_t i = slots.size(); i-- > help;) {
      slots[i].x = std::max(right - slots[i].w, slots[i].x);
      right = slots[i].x;
    }
  }
  return slots;
}

struct Row {
  int y, h;
};

std::vector<Row> PopupRows(const Menu* m, int* width, int* height) {
  std::vector<Row> rows;
  LOGFONT font = MenuFont();
  int labels = 0, accels = 0, y = kPopupBorder;
  for (const MenuItem& item : m->items) {
    int h = (item.type & MF_SEPARATOR) ? kSeparatorHeight : ItemHeight();
    rows.push_back(Row{y, h});
    y += h;
    labels = std::max(labels, TextWidth(font, ParseLabel(Before(item.text, '\t')).text));
    accels = std::max(accels, TextWidth(font, After(item.text, '\t')));
  }
  *width = 2 * kPopupBorder + kCheckMargin + labels + (accels ? accels + 16 : 0) + kCheckMargin;
  *height = y + kPopupBorder;
  return rows;
}

void DrawCheck(int x, int y) {
  fl_line(x, y + 3, x + 2, y + 5);
  fl_line(x + 2, y + 5, x + 6, y + 1);
  fl_line(x, y + 4, x + 2, y + 6);
  fl_line(x + 2, y + 6, x + 6, y + 2);
}

}  // namespace

MenuTracker::MenuTracker() = default;
MenuTracker::~MenuTracker() = default;

void MenuTracker::DrawBar(TopView* view) {
  int h = view->MenuHeight();
  FillRect(0, 0, view->w(), h, GetSysColor(COLOR_MENU));
  const Menu* bar = FindMenu(GetMenu(view->hwnd()));
  if (!bar) return;
  std::vector<Slot> slots = BarLayout(bar, view->w());
  LOGFONT font = MenuFont();
  int textTop = (h - plat::gdi::MetricsOf(font).height) / 2;
  int open = session_ && session_->Window() == view->hwnd() ? session_->OpenTitle() : -1;
  for (size_t i = 0; i < slots.size(); ++i) {
    const MenuItem& item = bar->items[i];
    COLORREF text = GetSysColor(COLOR_MENUTEXT);
    if ((int)i == open) {
      FillRect(slots[i].x, 1, slots[i].w, h - 2, GetSysColor(COLOR_HIGHLIGHT));
      text = GetSysColor(COLOR_HIGHLIGHTTEXT);
    }
    DrawLabel(font, ParseLabel(item.text), slots[i].x + kBarPadding, textTop, text,
              item.state & MF_GRAYED);
  }
}

int MenuTracker::TitleAt(TopView* view, int x) const {
  const Menu* bar = FindMenu(GetMenu(view->hwnd()));
  std::vector<Slot> slots = BarLayout(bar, view->w());
  for (size_t i = 0; i < slots.size(); ++i) {
    if (x >= slots[i].x && x < slots[i].x + slots[i].w) return (int)i;
  }
  return -1;
}

void MenuTracker::CloseSession() {
  if (!session_) return;
  std::unique_ptr<MenuSession> ending = std::move(session_);
  ending->Close();
}

void MenuTracker::PressTitle(HWND window, int position) {
  Gesture([this, window, position] {
    if (position < 0 ||
        (session_ && session_->Window() == window && session_->OpenTitle() == position)) {
      CloseSession();
      return;
    }
    if (!session_ || session_->Window() != window) {
      CloseSession();
      auto session = std::make_unique<MenuSession>(window);
      if (!session->Open()) return;
      session_ = std::move(session);
    }
    session_->OpenPopup(position);
  });
}

bool MenuTracker::OpenByMnemonic(HWND window, const char* text) {
  const Menu* bar = FindMenu(GetMenu(window));
  if (!bar || !text || !isalnum((unsigned char)text[0])) return false;
  for (size_t i = 0; i < bar->items.size(); ++i) {
    Label label = ParseLabel(bar->items[i].text);
    if (label.underline >= 0 && tolower((unsigned char)label.text[(size_t)label.underline]) ==
                                    tolower((unsigned char)text[0])) {
      if (!session_) PressTitle(window, (int)i);
      return true;
    }
  }
  return false;
}

bool MenuTracker::Grabbing(TopView* view) const {
  return grabbed_ == view;
}

MenuTracker::Target MenuTracker::TargetAt(int xRoot, int yRoot) const {
  for (size_t level = popups_.size(); level-- > 0;) {
    MenuPopup* p = popups_[level].get();
    const Menu* m = FindMenu(p->menu);
    if (!p->shown() || !m || xRoot < p->x() || xRoot >= p->x() + p->w() || yRoot < p->y() ||
        yRoot >= p->y() + p->h())
      continue;
    int width, height;
    std::vector<Row> rows = PopupRows(m, &width, &height);
    for (size_t i = 0; i < rows.size(); ++i) {
      int y = yRoot - p->y();
      if (y >= rows[i].y && y < rows[i].y + rows[i].h) return Target{Target::kItem, level, (int)i};
    }
    return Target{};
  }
  if (grabbed_ && yRoot >= grabbed_->y() && yRoot < grabbed_->y() + grabbed_->MenuHeight()) {
    int title = TitleAt(grabbed_, xRoot - grabbed_->x());
    if (title >= 0) return Target{Target::kTitle, 0, title};
  }
  return Target{};
}

void MenuTracker::Hover(const Target& target) {
  if (target == hovered_) return;
  hovered_ = target;
  if (target.kind == Target::kItem) {
    Gesture([this, target] {
      if (session_) session_->HighlightAt(target.level, target.position);
    });
  } else if (target.kind == Target::kTitle) {
    Gesture([this, target] {
      if (session_ && session_->OpenTitle() != target.position)
        session_->OpenPopup(target.position);
    });
  }
}

void MenuTracker::Release(const Target& target) {
  if (target.kind != Target::kItem) return;
  Gesture([this, target] {
    if (!session_ || target.level >= session_->Levels().size()) return;
    const Menu* m = FindMenu(session_->Levels()[target.level]);
    if (!m || target.position >= (int)m->items.size()) return;
    const MenuItem& item = m->items[(size_t)target.position];
    if (item.type & (MF_POPUP | MF_SEPARATOR) || item.state & (MF_GRAYED | MF_DISABLED)) return;
    if (session_->HighlightedMenu() != m->handle || session_->Highlighted() != target.position)
      session_->HighlightAt(target.level, target.position);
    std::unique_ptr<MenuSession> ending = std::move(session_);
    ending->Choose();
  });
}

// Keys inside an open menu, as Win32's menu loop reads them.
bool MenuTracker::Key(int key, const char* text) {
  char letter = text && isalnum((unsigned char)text[0]) ? (char)tolower((unsigned char)text[0]) : 0;
  Gesture([this, key, letter] {
    if (!session_) return;
    if (key == FL_Escape) {
      CloseSession();
      return;
    }
    const std::vector<HMENU>& levels = session_->Levels();
    size_t level = levels.empty() ? 0 : levels.size() - 1;
    for (size_t i = 0; i < levels.size(); ++i) {
      if (levels[i] == session_->HighlightedMenu()) level = i;
    }
    const Menu* m = levels.empty() ? nullptr : FindMenu(levels[level]);
    int at = m && session_->HighlightedMenu() == m->handle ? session_->Highlighted() : -1;
    const Menu* bar = FindMenu(GetMenu(session_->Window()));
    int titles = bar ? (int)bar->items.size() : 0;
    auto step = [&](int from, int by) {
      int n = m ? (int)m->items.size() : 0;
      for (int k = 1; k <= n; ++k) {
        int i = ((from + by * k) % n + n) % n;
        if (Selectable(m->items[(size_t)i])) return i;
      }
      return -1;
    };
    switch (key) {
      case FL_Down:
      case FL_Up:
        if (int next = step(at < 0 && key == FL_Down ? -1 : at, key == FL_Down ? 1 : -1); next >= 0)
          session_->HighlightAt(level, next);
        return;
      case FL_Right:
        if (levels.size() > level + 1) {
          session_->HighlightAt(level + 1, 0);
        } else if (titles) {
          session_->OpenPopup((session_->OpenTitle() + 1) % titles);
        }
        return;
      case FL_Left:
        if (level > 0) {
          const Menu* parent = FindMenu(levels[level - 1]);
          for (size_t i = 0; parent && i < parent->items.size(); ++i) {
            if (parent->items[i].popup == levels[level]) session_->HighlightAt(level - 1, (int)i);
          }
        } else if (titles) {
          session_->OpenPopup((session_->OpenTitle() + titles - 1) % titles);
        }
        return;
      case FL_Enter:
      case FL_KP_Enter:
        if (at >= 0 && !(m->items[(size_t)at].type & MF_POPUP)) {
          std::unique_ptr<MenuSession> ending = std::move(session_);
          ending->Choose();
        }
        return;
    }
    for (size_t i = 0; letter && m && i < m->items.size(); ++i) {
      Label label = ParseLabel(m->items[i].text);
      if (label.underline < 0 ||
          tolower((unsigned char)label.text[(size_t)label.underline]) != letter)
        continue;
      session_->HighlightAt(level, (int)i);
      if (!(m->items[i].type & MF_POPUP) && session_) {
        std::unique_ptr<MenuSession> ending = std::move(session_);
        ending->Choose();
      }
      return;
    }
  });
  return true;
}

bool MenuTracker::Event(int event) {
  Target target = TargetAt(Fl::event_x_root(), Fl::event_y_root());
  switch (event) {
    case FL_MOVE:
    case FL_DRAG:
      Hover(target);
      return true;
    case FL_PUSH:
      if (target.kind == Target::kTitle) {
        PressTitle(grabbed_->hwnd(), target.position);
      } else if (target.kind == Target::kNothing) {
        Gesture([this] { CloseSession(); });
      }
      return true;
    case FL_RELEASE:
      Release(target);
      return true;
    case FL_KEYBOARD:
    case FL_SHORTCUT:
      return Key(Fl::event_key(), Fl::event_text());
    case FL_FOCUS:
    case FL_UNFOCUS:
    case FL_ENTER:
    case FL_LEAVE:
    case FL_MOUSEWHEEL:
      return true;
  }
  return false;
}

void MenuTracker::Sync() {
  if (session_ && !session_->Open()) session_.reset();
  HWND window = session_ ? session_->Window() : nullptr;
  TopView* view = window ? TheFltk().TopOf(window) : nullptr;
  if (session_ && (!view || !view->shown() || !IsWindowEnabled(window))) {
    Gesture([this, window] {
      if (session_ && session_->Window() == window) CloseSession();
    });
    view = nullptr;
  }
  std::vector<HMENU> levels = view ? session_->Levels() : std::vector<HMENU>{};
  while (popups_.size() < levels.size())
    popups_.push_back(std::make_unique<MenuPopup>());
  for (size_t level = 0; level < popups_.size(); ++level) {
    MenuPopup* p = popups_[level].get();
    const Menu* m = level < levels.size() ? FindMenu(levels[level]) : nullptr;
    if (!m) {
      if (p->shown()) p->hide();
      p->menu = nullptr;
      continue;
    }
    int width, height;
    PopupRows(m, &width, &height);
    int x, y;
    if (level == 0) {
      std::vector<Slot> slots = BarLayout(FindMenu(GetMenu(window)), view->w());
      int title = std::clamp(session_->OpenTitle(), 0, (int)slots.size() - 1);
      x = view->x() + (slots.empty() ? 0 : slots[(size_t)title].x);
      y = view->y() + view->MenuHeight();
    } else {
      MenuPopup* parent = popups_[level - 1].get();
      const Menu* pm = FindMenu(parent->menu);
      int pw, ph;
      std::vector<Row> rows = pm ? PopupRows(pm, &pw, &ph) : std::vector<Row>{};
      x = parent->x() + parent->w() - kPopupBorder;
      y = parent->y();
      for (size_t i = 0; pm && i < pm->items.size(); ++i) {
        if (pm->items[i].popup == m->handle) y = parent->y() + rows[i].y - kPopupBorder;
      }
    }
    p->menu = m->handle;
    if (p->x() != x || p->y() != y || p->w() != width || p->h() != height)
      p->resize(x, y, width, height);
    if (!p->shown()) p->show();
    p->redraw();
  }
  if (view && grabbed_ != view) {
    grabbed_ = view;
    hovered_ = Target{};
    Fl::grab(view);
  } else if (!view && grabbed_) {
    grabbed_ = nullptr;
    Fl::grab(nullptr);
  }
  if (grabbed_) grabbed_->redraw();
}

void MenuTracker::DrawPopup(MenuPopup* popup) {
  const Menu* m = FindMenu(popup->menu);
  fl_draw_box(FL_UP_BOX, 0, 0, popup->w(), popup->h(), fl_rgb_color(192, 192, 192));
  FillRect(2, 2, popup->w() - 4, popup->h() - 4, GetSysColor(COLOR_MENU));
  if (!m) return;
  int width, height;
  std::vector<Row> rows = PopupRows(m, &width, &height);
  LOGFONT font = MenuFont();
  int textHeight = plat::gdi::MetricsOf(font).height;
  bool highlightedHere = session_ && session_->HighlightedMenu() == m->handle;
  for (size_t i = 0; i < m->items.size(); ++i) {
    const MenuItem& item = m->items[i];
    int y = rows[i].y;
    if (item.type & MF_SEPARATOR) {
      SetSysColor(COLOR_BTNSHADOW);
      fl_xyline(kPopupBorder, y + 3, popup->w() - kPopupBorder - 1);
      SetSysColor(COLOR_BTNHIGHLIGHT);
      fl_xyline(kPopupBorder, y + 4, popup->w() - kPopupBorder - 1);
      continue;
    }
    COLORREF text = GetSysColor(COLOR_MENUTEXT);
    if (highlightedHere && session_->Highlighted() == (int)i) {
      FillRect(kPopupBorder, y, popup->w() - 2 * kPopupBorder, rows[i].h,
               GetSysColor(COLOR_HIGHLIGHT));
      text = GetSysColor(COLOR_HIGHLIGHTTEXT);
    }
    bool grey = item.state & (MF_GRAYED | MF_DISABLED);
    int top = y + (rows[i].h - textHeight) / 2;
    DrawLabel(font, ParseLabel(Before(item.text, '\t')), kPopupBorder + kCheckMargin, top, text,
              grey);
    std::string accel = After(item.text, '\t');
    if (!accel.empty()) {
      int ax = popup->w() - kPopupBorder - kCheckMargin - TextWidth(font, accel);
      DrawLabel(font, Label{accel, -1}, ax, top, text, grey);
    }
    SetColor(text);
    if (item.state & MF_CHECKED) DrawCheck(kPopupBorder + 6, y + rows[i].h / 2 - 4);
    if (item.type & MF_POPUP) {
      int ax = popup->w() - kPopupBorder - 10, ay = y + rows[i].h / 2;
      fl_polygon(ax, ay - 4, ax + 4, ay, ax, ay + 4);
    }
  }
}

}  // namespace plat::gui::fltk
