// GDI objects of the process: solid brushes, fonts and pens behind handles.
// Stock objects and system colour brushes are never deleted; a deleted
// handle is simply unknown afterwards.
#pragma once

#include "platform/wingdi.h"

namespace plat::gdi {

enum class ObjectKind { kBrush, kFont, kPen };

struct GdiObject {
  ObjectKind kind = ObjectKind::kBrush;
  bool stock = false;
  bool null = false;  // NULL_BRUSH, NULL_PEN
  COLORREF color = 0;
  LOGFONT font{};
};

GdiObject* FindObject(HGDIOBJ handle);
COLORREF SystemColor(int index);
// The colour a brush paints with; false for a null brush or an unknown handle.
// Like Win32, a system colour index + 1 stands for that colour's brush.
bool BrushColor(HBRUSH brush, COLORREF* color);
// The LOGFONT of SYSTEM_FONT, for windows and DCs that have no font of their own.
LOGFONT SystemFont();
// The LOGFONT of a font handle, or the system font for a null or unknown one.
LOGFONT FontOf(HFONT font);

}  // namespace plat::gdi
