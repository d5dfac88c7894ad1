// Deterministic metrics of fonts: a synthetic proportional face whose sizes
// follow from the LOGFONT alone, so layouts and tests never depend on which
// fonts a machine has. Text extents are sums of per-character advances.
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
};

FontMetrics MetricsOf(const LOGFONT& font);
int CharWidth(const FontMetrics& metrics, unsigned char c);
int TextWidth(const FontMetrics& metrics, const char* text, int count);
// The average width dialogs and list boxes reckon with: the 52 letters' extent
// halved over 26, rounded, as Win32 computes dialog base units.
int BaseCharWidth(const FontMetrics& metrics);

}  // namespace plat::gdi
