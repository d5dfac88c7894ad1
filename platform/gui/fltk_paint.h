// Drawing helpers of the FLTK backend: recorded GDI drawing replayed with FLTK
// (fills, text runs in their fonts, icons, each within its clip), colours,
// labels with "&" mnemonics, focus rectangles. Coordinates are FLTK's (window
// relative); a replay is offset to where the window's client area sits.
#pragma once

#include <string>

#include "gdi/draw_list.h"
#include "platform/wingdi.h"

namespace plat::gui::fltk {

void SetColor(COLORREF color);
void SetSysColor(int index);
void FillRect(int x, int y, int w, int h, COLORREF color);

void Replay(const plat::gdi::DrawList& ops, int dx, int dy);
void DrawIconImage(const plat::gdi::IconImage* icon, int x, int y);

// A label's text without its "&" marks ("&&" is one "&"), and which character
// the mnemonic underlines (-1: none).
struct Label {
  std::string text;
  int underline = -1;
};
Label ParseLabel(const std::string& text, bool prefixes = true);
int TextWidth(const LOGFONT& font, const std::string& text);
// Draws a label's text with its top at y; disabled text is embossed grey.
void DrawLabel(const LOGFONT& font, const Label& label, int x, int y, COLORREF color,
               bool disabled = false);
// Win32's dotted focus rectangle.
void FocusRect(int x, int y, int w, int h);

}  // namespace plat::gui::fltk
