// Text is drawn at its baseline (top + ascent) in the font the layer measured,
// so a run covers exactly the cell the recording gave it. Icon images live as
// long as the process, so their FLTK copies are kept by address.
#include "gui/fltk_paint.h"

#include <FL/Fl_RGB_Image.H>
#include <FL/fl_draw.H>

#include <map>
#include <memory>
#include <vector>

#include "gdi/font_metrics.h"
#include "gui/fltk_fonts.h"
#include "platform/winuser.h"

namespace plat::gui::fltk {

namespace {

struct IconCopy {
  std::vector<unsigned char> rgba;
  std::unique_ptr<Fl_RGB_Image> image;
};

Fl_RGB_Image* ImageOf(const plat::gdi::IconImage* icon) {
  static std::map<const plat::gdi::IconImage*, IconCopy> copies;
  auto it = copies.find(icon);
  if (it != copies.end()) return it->second.image.get();
  IconCopy copy;
  copy.rgba.reserve(icon->argb.size() * 4);
  for (uint32_t p : icon->argb) {
    copy.rgba.push_back((unsigned char)(p >> 16));
    copy.rgba.push_back((unsigned char)(p >> 8));
    copy.rgba.push_back((unsigned char)p);
    copy.rgba.push_back((unsigned char)(p >> 24));
  }
  copy.image = std::make_unique<Fl_RGB_Image>(copy.rgba.data(), icon->width, icon->height, 4);
  return copies.emplace(icon, std::move(copy)).first->second.image.get();
}

void DrawRun(const LOGFONT& font, const std::string& text, int x, int y) {
  plat::gdi::FontMetrics m = plat::gdi::MetricsOf(font);
  UseFont(font);
  std::string utf8 = Utf8(text.data(), text.size());
  fl_draw(utf8.c_str(), (int)utf8.size(), x, y + m.ascent);
}

}  // namespace

void SetColor(COLORREF c) {
  fl_color(GetRValue(c), GetGValue(c), GetBValue(c));
}

void SetSysColor(int index) {
  SetColor(GetSysColor(index));
}

void FillRect(int x, int y, int w, int h, COLORREF color) {
  SetColor(color);
  fl_rectf(x, y, w, h);
}

void Replay(const plat::gdi::DrawList& ops, int dx, int dy) {
  using Kind = plat::gdi::DrawOp::Kind;
  for (const plat::gdi::DrawOp& op : ops) {
    fl_push_clip(op.clip.left + dx, op.clip.top + dy, op.clip.right - op.clip.left,
                 op.clip.bottom - op.clip.top);
    switch (op.kind) {
      case Kind::kFill:
        FillRect(op.rect.left + dx, op.rect.top + dy, op.rect.right - op.rect.left,
                 op.rect.bottom - op.rect.top, op.color);
        break;
      case Kind::kText:
        SetColor(op.color);
        DrawRun(op.font, op.text, op.rect.left + dx, op.rect.top + dy);
        break;
      case Kind::kIcon:
        if (op.icon) DrawIconImage(op.icon, op.rect.left + dx, op.rect.top + dy);
        break;
    }
    fl_pop_clip();
  }
}

void DrawIconImage(const plat::gdi::IconImage* icon, int x, int y) {
  if (icon && icon->width > 0 && icon->height > 0) ImageOf(icon)->draw(x, y);
}

Label ParseLabel(const std::string& text, bool prefixes) {
  Label label;
  for (size_t i = 0; i < text.size(); ++i) {
    if (prefixes && text[i] == '&' && i + 1 < text.size()) {
      ++i;
      if (text[i] != '&' && label.underline < 0) label.underline = (int)label.text.size();
    }
    label.text += text[i];
  }
  return label;
}

int TextWidth(const LOGFONT& font, const std::string& text) {
  return plat::gdi::TextWidth(plat::gdi::MetricsOf(font), text.data(), (int)text.size());
}

void DrawLabel(const LOGFONT& font, const Label& label, int x, int y, COLORREF color,
               bool disabled) {
  plat::gdi::FontMetrics m = plat::gdi::MetricsOf(font);
  auto once = [&](int at, int top, COLORREF c) {
    SetColor(c);
    DrawRun(font, label.text, at, top);
    if (label.underline >= 0 && label.underline < (int)label.text.size()) {
      int from = at + plat::gdi::TextWidth(m, label.text.data(), label.underline);
      int w = plat::gdi::CharWidth(m, (unsigned char)label.text[(size_t)label.underline]);
      fl_line(from, top + m.ascent + 1, from + w - 1, top + m.ascent + 1);
    }
  };
  if (disabled) {
    once(x + 1, y + 1, GetSysColor(COLOR_BTNHIGHLIGHT));
    once(x, y, GetSysColor(COLOR_GRAYTEXT));
  } else {
    once(x, y, color);
  }
}

void FocusRect(int x, int y, int w, int h) {
  fl_color(FL_BLACK);
  fl_line_style(FL_DOT);
  fl_rect(x, y, w, h);
  fl_line_style(0);
}

}  // namespace plat::gui::fltk
