// Face choice by pitch, family and name; a positive lfHeight is the cell height
// (the largest size whose line fits), a negative one the character height. The
// layer asks for the same fonts again and again, so answers are cached per font.
#include "gui/fltk_fonts.h"

#include <FL/fl_draw.H>
#include <FL/fl_utf8.h>
#include <strings.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <tuple>

namespace plat::gui::fltk {

namespace {

constexpr Fl_Fontsize kDefaultSize = 13;
constexpr Fl_Fontsize kLargest = 512;

using Key = std::tuple<LONG, LONG, BYTE, BYTE, std::string>;

Key KeyOf(const LOGFONT& f) {
  return Key{f.lfHeight, f.lfWeight, f.lfItalic, f.lfPitchAndFamily,
             std::string(f.lfFaceName, strnlen(f.lfFaceName, LF_FACESIZE))};
}

bool NameIn(const char* face, std::initializer_list<const char*> names) {
  for (const char* n : names) {
    if (strcasecmp(face, n) == 0) return true;
  }
  return false;
}

Fl_Font BaseFace(const LOGFONT& f) {
  char face[LF_FACESIZE + 1] = {};
  memcpy(face, f.lfFaceName, LF_FACESIZE);
  if ((f.lfPitchAndFamily & 3) == FIXED_PITCH || (f.lfPitchAndFamily & 0xF0) == FF_MODERN ||
      NameIn(face, {"Courier", "Courier New", "Terminal", "Fixedsys", "Lucida Console"}))
    return FL_COURIER;
  if ((f.lfPitchAndFamily & 0xF0) == FF_ROMAN ||
      NameIn(face, {"Times", "Times New Roman", "Tms Rmn"}))
    return FL_TIMES;
  return FL_HELVETICA;
}

struct Measured {
  FaceAndSize face;
  plat::gdi::FontMetrics metrics;
  std::array<int, 256> advance{};
};

std::map<Key, Measured>& Cache() {
  static std::map<Key, Measured> cache;
  return cache;
}

Fl_Fontsize SizeFor(Fl_Font face, LONG height) {
  if (height < 0) return (Fl_Fontsize)std::clamp<LONG>(-height, 1, kLargest);
  if (height == 0) return kDefaultSize;
  Fl_Fontsize size = (Fl_Fontsize)std::clamp<LONG>(height, 1, kLargest);
  while (size > 1 && fl_height(face, size) > height)
    --size;
  return size;
}

const Measured& Measure(const LOGFONT& font) {
  auto& cache = Cache();
  Key key = KeyOf(font);
  auto it = cache.find(key);
  if (it != cache.end()) return it->second;
  Measured m;
  Fl_Font face = BaseFace(font);
  if (font.lfWeight >= FW_SEMIBOLD) face += FL_BOLD;
  if (font.lfItalic) face += FL_ITALIC;
  m.face = FaceAndSize{face, SizeFor(face, font.lfHeight)};
  fl_font(m.face.face, m.face.size);
  for (unsigned c = 0x20; c < 256; ++c)
    m.advance[c] = (int)lround(fl_width(c));
  plat::gdi::FontMetrics& r = m.metrics;
  r.height = fl_height();
  r.descent = fl_descent();
  r.ascent = r.height - r.descent;
  r.internalLeading =
      std::max(0, r.height - (font.lfHeight < 0 ? (int)-font.lfHeight : m.face.size));
  r.externalLeading = 0;
  r.aveCharWidth = std::max(1, m.advance['x']);
  r.maxCharWidth = *std::max_element(m.advance.begin(), m.advance.end());
  r.weight = font.lfWeight ? (int)font.lfWeight : FW_NORMAL;
  return cache.emplace(key, m).first->second;
}

class RealFonts : public plat::gdi::FontMeasurer {
 public:
  plat::gdi::FontMetrics Metrics(const LOGFONT& font) override { return Measure(font).metrics; }
  int Advance(const LOGFONT& font, unsigned char c) override { return Measure(font).advance[c]; }
};

}  // namespace

FaceAndSize FaceOf(const LOGFONT& font) {
  return Measure(font).face;
}

void UseFont(const LOGFONT& font) {
  FaceAndSize f = FaceOf(font);
  fl_font(f.face, f.size);
}

std::string Utf8(const char* text, size_t count) {
  std::string out(count * 2 + 1, '\0');
  unsigned n = fl_utf8froma(out.data(), (unsigned)out.size(), text, (unsigned)count);
  out.resize(std::min<size_t>(n, out.size() - 1));
  return out;
}

void MeasureWithRealFonts() {
  static RealFonts fonts;
  plat::gdi::InstallFontMeasurer(&fonts);
}

}  // namespace plat::gui::fltk
