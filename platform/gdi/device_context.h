// Device contexts: what drawing calls draw with and into. A DC belongs to a
// window (or to the screen, for measuring only); its drawing is collected and
// handed to the display backend when the DC is released.
#pragma once

#include "gdi/draw_list.h"
#include "platform/winuser.h"

namespace plat::gdi {

struct DeviceContext {
  HWND hwnd = nullptr;  // null: the screen, whose drawing goes nowhere
  RECT clip{};          // client coordinates
  HFONT fontHandle = nullptr;
  LOGFONT font{};  // a copy, so deleting the selected font leaves the DC intact
  HBRUSH brush = nullptr;
  HPEN pen = nullptr;
  COLORREF textColor = RGB(0, 0, 0);
  COLORREF bkColor = RGB(255, 255, 255);
  int bkMode = OPAQUE;
  DrawList ops;
};

DeviceContext* FindDC(HDC dc);

}  // namespace plat::gdi
