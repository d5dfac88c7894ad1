// DC lifetimes (BeginPaint/EndPaint, GetDC/ReleaseDC), the state that drawing
// calls read, and measuring. A paint DC clips to the update rectangle that
// BeginPaint took over, so drawing outside it never shows, as in Win32.
#include "gdi/device_context.h"

#include <memory>
#include <unordered_map>

#include "gdi/font_metrics.h"
#include "gdi/gdi_objects.h"
#include "gui/display.h"
#include "platform/winbase.h"
#include "win/system_metrics.h"
#include "win/window_ops.h"
#include "win/window_table.h"

namespace plat::gdi {

namespace {

std::unordered_map<uintptr_t, std::unique_ptr<DeviceContext>> contexts;
uintptr_t nextDC = 0x44000000;

HDC NewDC(HWND hwnd, const RECT& clip) {
  auto dc = std::make_unique<DeviceContext>();
  dc->hwnd = hwnd;
  dc->clip = clip;
  dc->fontHandle = (HFONT)GetStockObject(SYSTEM_FONT);
  dc->font = SystemFont();
  dc->brush = (HBRUSH)GetStockObject(WHITE_BRUSH);
  dc->pen = (HPEN)GetStockObject(BLACK_PEN);
  nextDC += 4;
  contexts[nextDC] = std::move(dc);
  return (HDC)nextDC;
}

bool FreeDC(HDC handle, HWND hwnd) {
  DeviceContext* dc = FindDC(handle);
  if (!dc || (hwnd && dc->hwnd != hwnd)) return false;
  if (dc->hwnd && IsWindow(dc->hwnd)) plat::gui::CurrentDisplay().Drawn(dc->hwnd, dc->ops);
  contexts.erase((uintptr_t)handle);
  return true;
}

}  // namespace

DeviceContext* FindDC(HDC dc) {
  auto it = contexts.find((uintptr_t)dc);
  return it == contexts.end() ? nullptr : it->second.get();
}

}  // namespace plat::gdi

using plat::gdi::DeviceContext;
using plat::gdi::FindDC;

HDC BeginPaint(HWND hwnd, LPPAINTSTRUCT paint) {
  plat::win::Window* w = plat::win::FindWindowRecord(hwnd);
  if (!w || !paint) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  *paint = PAINTSTRUCT{};
  bool erase = w->invalid && w->erase;
  paint->rcPaint = w->invalid ? w->update : RECT{0, 0, 0, 0};
  ValidateRect(hwnd, nullptr);
  paint->hdc = plat::gdi::NewDC(hwnd, paint->rcPaint);
  paint->fErase = erase && !SendMessage(hwnd, WM_ERASEBKGND, (WPARAM)paint->hdc, 0);
  return paint->hdc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint) {
  return paint && plat::gdi::FreeDC(paint->hdc, hwnd);
}

HDC GetDC(HWND hwnd) {
  if (!hwnd)
    return plat::gdi::NewDC(nullptr, RECT{0, 0, plat::win::kScreenWidth, plat::win::kScreenHeight});
  if (!plat::win::FindWindowRecord(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  return plat::gdi::NewDC(hwnd, plat::win::ClientRectOf(hwnd));
}

int ReleaseDC(HWND hwnd, HDC dc) {
  return plat::gdi::FreeDC(dc, hwnd) ? 1 : 0;
}

HGDIOBJ SelectObject(HDC handle, HGDIOBJ object) {
  DeviceContext* dc = FindDC(handle);
  plat::gdi::GdiObject* o = plat::gdi::FindObject(object);
  if (!dc || !o) return nullptr;
  HGDIOBJ previous = nullptr;
  switch (o->kind) {
    case plat::gdi::ObjectKind::kFont:
      previous = dc->fontHandle;
      dc->fontHandle = (HFONT)object;
      dc->font = o->font;
      break;
    case plat::gdi::ObjectKind::kBrush:
      previous = dc->brush;
      dc->brush = (HBRUSH)object;
      break;
    case plat::gdi::ObjectKind::kPen:
      previous = dc->pen;
      dc->pen = (HPEN)object;
      break;
  }
  return previous;
}

COLORREF SetTextColor(HDC handle, COLORREF color) {
  DeviceContext* dc = FindDC(handle);
  if (!dc) return CLR_INVALID;
  COLORREF previous = dc->textColor;
  dc->textColor = color & 0x00FFFFFF;
  return previous;
}

COLORREF GetTextColor(HDC handle) {
  DeviceContext* dc = FindDC(handle);
  return dc ? dc->textColor : CLR_INVALID;
}

COLORREF SetBkColor(HDC handle, COLORREF color) {
  DeviceContext* dc = FindDC(handle);
  if (!dc) return CLR_INVALID;
  COLORREF previous = dc->bkColor;
  dc->bkColor = color & 0x00FFFFFF;
  return previous;
}

COLORREF GetBkColor(HDC handle) {
  DeviceContext* dc = FindDC(handle);
  return dc ? dc->bkColor : CLR_INVALID;
}

int SetBkMode(HDC handle, int mode) {
  DeviceContext* dc = FindDC(handle);
  if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  int previous = dc->bkMode;
  dc->bkMode = mode;
  return previous;
}

int GetBkMode(HDC handle) {
  DeviceContext* dc = FindDC(handle);
  return dc ? dc->bkMode : 0;
}

BOOL GetTextMetrics(HDC handle, LPTEXTMETRIC tm) {
  DeviceContext* dc = FindDC(handle);
  if (!dc || !tm) return FALSE;
  plat::gdi::FontMetrics m = plat::gdi::MetricsOf(dc->font);
  *tm = TEXTMETRIC{};
  tm->tmHeight = m.height;
  tm->tmAscent = m.ascent;
  tm->tmDescent = m.descent;
  tm->tmInternalLeading = m.internalLeading;
  tm->tmExternalLeading = m.externalLeading;
  tm->tmAveCharWidth = m.aveCharWidth;
  tm->tmMaxCharWidth = m.maxCharWidth;
  tm->tmWeight = m.weight;
  tm->tmDigitizedAspectX = 96;
  tm->tmDigitizedAspectY = 96;
  tm->tmFirstChar = 0x20;
  tm->tmLastChar = 0xFF;
  tm->tmDefaultChar = 0x80;
  tm->tmBreakChar = 0x20;
  tm->tmItalic = dc->font.lfItalic;
  tm->tmUnderlined = dc->font.lfUnderline;
  tm->tmStruckOut = dc->font.lfStrikeOut;
  // Win32's quirk: the pitch bit is set for variable pitch.
  tm->tmPitchAndFamily = (BYTE)((dc->font.lfPitchAndFamily & 0xF0) |
                                ((dc->font.lfPitchAndFamily & 3) == FIXED_PITCH ? 0 : 1));
  tm->tmCharSet = dc->font.lfCharSet;
  return TRUE;
}

BOOL GetTextExtentPoint32(HDC handle, LPCSTR text, int count, LPSIZE size) {
  DeviceContext* dc = FindDC(handle);
  if (!dc || !size || count < 0 || (count > 0 && !text)) return FALSE;
  plat::gdi::FontMetrics m = plat::gdi::MetricsOf(dc->font);
  size->cx = plat::gdi::TextWidth(m, text, count);
  size->cy = m.height;
  return TRUE;
}

int GetDeviceCaps(HDC dc, int index) {
  if (!FindDC(dc)) return 0;
  switch (index) {
    case HORZRES:
      return plat::win::kScreenWidth;
    case VERTRES:
      return plat::win::kScreenHeight;
    case BITSPIXEL:
      return 24;
    case PLANES:
      return 1;
    case NUMCOLORS:
      return -1;
    case LOGPIXELSX:
    case LOGPIXELSY:
      return 96;
  }
  return 0;
}
