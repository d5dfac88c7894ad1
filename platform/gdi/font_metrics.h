// Metrics of fonts. By default a synthetic proportional face whose sizes follow
// from the LOGFONT alone, so layouts and tests never depend on which fonts a
// machine has; a display backend that draws with real fonts installs a
// FontMeasurer, and then every measurement of the layer comes from those fonts,
// so what a program lays out is what the screen shows. Text extents are always
// sums of per-character advances.
#pragma once

#include "platform/wingdi.h"

namespace plat::gdi {

struct FontMetrics {
  int height = 0;  // cell height: ascent + descent
  int ascent = 0;
  int descent = 0;
  int internalLeading = 0;
  int externalLeading = 0;
  int aveCharWidth = 0;
  int maxCharWidth = 0;
  int weight = FW_NORMAL;
  LOGFONT font{};  // the font measured, for the advances of its characters
};

// Real fonts behind the metrics. Answers must not change while the measurer is
// installed: layouts computed earlier rely on them.
class FontMeasurer {
 public:
  virtual ~FontMeasurer() = default;
  virtual FontMetrics Metrics(const LOGFONT& font) = 0;
  // The advance of one character of the ANSI code page (Latin-1).
  virtual int Advance(const LOGFONT& font, unsigned char c) = 0;
};

// nullptr returns to the synthetic face.
void InstallFontMeasurer(FontMeasurer* measurer);

FontMetrics MetricsOf(const LOGFONT& font);
int CharWidth(const FontMetrics& metrics, unsigned char c);
int TextWidth(const FontMetrics& metrics, const char* text, int count);
// The average width dialogs and list boxes reckon with: the 52 letters' extent
// halved over 26, rounded, as Win32 computes dialog base units.
int BaseCharWidth(const FontMetrics& metrics);

}  // namespace plat::gdi
