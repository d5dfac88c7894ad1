// Real fonts for the FLTK backend: a LOGFONT names an FLTK face and pixel size,
// and the layer's GDI measures with them (plat::gdi::FontMeasurer), so text a
// program lays out is drawn at exactly the widths it measured. Advances are
// whole pixels per character of the ANSI code page (read as Latin-1).
#pragma once

#include <FL/Enumerations.H>

#include <string>

#include "gdi/font_metrics.h"

namespace plat::gui::fltk {

struct FaceAndSize {
  Fl_Font face = FL_HELVETICA;
  Fl_Fontsize size = 13;
};

FaceAndSize FaceOf(const LOGFONT& font);
// Selects the font for drawing (fl_font).
void UseFont(const LOGFONT& font);
// Program text (Latin-1) as FLTK draws it (UTF-8).
std::string Utf8(const char* text, size_t count);

// Installs the measurer into the layer's GDI; the display must be open.
void MeasureWithRealFonts();

}  // namespace plat::gui::fltk
