// The synthetic face, unless a backend measures real fonts: cell height from
// lfHeight (a negative height is the character height, internal leading added
// on top), average width 7/16 of the cell unless lfWidth says otherwise, and
// each character a fixed share of the average width (narrow i and l, wide m
// and W) in sixteenths.
#include "gdi/font_metrics.h"

#include <string.h>

#include <algorithm>
#include <cstdint>

namespace plat::gdi {

namespace {

FontMeasurer* measurer = nullptr;

constexpr int kDefaultHeight = 16;
// Beyond this a size is a program's mistake; clamping keeps the arithmetic sane.
constexpr LONG kLargest = 4096;

int Sixteenths(unsigned char c) {
  if (c < 0x20) return 0;
  if (c >= 0x7F) return 16;
  if (strchr("iljI!|.,:;'`", c)) return 6;
  if (strchr("ftr ()[]{}\"/\\-", c)) return 9;
  if (strchr("mwMW@", c)) return 24;
  if (c >= 'A' && c <= 'Z') return 19;
  if (c >= 'a' && c <= 'z') return 15;
  return 16;  // digits and the remaining signs
}

}  // namespace

void InstallFontMeasurer(FontMeasurer* m) {
  measurer = m;
}

FontMetrics MetricsOf(const LOGFONT& font) {
  if (measurer) {
    FontMetrics real = measurer->Metrics(font);
    real.font = font;
    return real;
  }
  FontMetrics m;
  m.font = font;
  LONG height = std::clamp<LONG>(font.lfHeight, -kLargest, kLargest);
  if (height < 0) {
    int characters = -height;
    m.internalLeading = (characters + 3) / 6;
    m.height = characters + m.internalLeading;
  } else {
    m.height = height > 0 ? height : kDefaultHeight;
    m.internalLeading = (m.height + 4) / 7;
  }
  m.descent = m.height / 5;
  m.ascent = m.height - m.descent;
  m.externalLeading = m.height / 8;
  m.aveCharWidth = font.lfWidth > 0 ? (int)std::min<LONG>(font.lfWidth, kLargest)
                                    : std::max(1, (m.height * 7 + 8) / 16);
  m.weight = font.lfWeight ? font.lfWeight : FW_NORMAL;
  m.maxCharWidth = CharWidth(m, 'W');
  return m;
}

int CharWidth(const FontMetrics& m, unsigned char c) {
  if (measurer) return c < 0x20 ? 0 : measurer->Advance(m.font, c);
  int share = Sixteenths(c);
  if (share == 0) return 0;
  return std::max(1, (m.aveCharWidth * share + 8) / 16);
}

int TextWidth(const FontMetrics& m, const char* text, int count) {
  int64_t width = 0;
  for (int i = 0; i < count; ++i)
    width += CharWidth(m, (unsigned char)text[i]);
  return (int)std::min<int64_t>(width, 0x7FFFFFFF);
}

int BaseCharWidth(const FontMetrics& m) {
  static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  return (TextWidth(m, kLetters, 52) / 26 + 1) / 2;
}

}  // namespace plat::gdi
