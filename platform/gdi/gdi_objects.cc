// The object table. Handles are small tagged numbers handed out in order; the
// stock objects take the first ones, made on first use.
#include "gdi/gdi_objects.h"

#include <string.h>

#include <unordered_map>

#include "platform/winbase.h"
#include "platform/winuser.h"

namespace plat::gdi {

namespace {

constexpr uintptr_t kFirstHandle = 0x47000000;
constexpr int kStockCount = DEFAULT_GUI_FONT + 1;
constexpr int kSystemColorCount = COLOR_INFOBK + 1;

// The classic scheme.
constexpr COLORREF kSystemColors[kSystemColorCount] = {
    RGB(192, 192, 192), RGB(0, 128, 128),   RGB(0, 0, 128),     RGB(128, 128, 128),
    RGB(192, 192, 192), RGB(255, 255, 255), RGB(0, 0, 0),       RGB(0, 0, 0),
    RGB(0, 0, 0),       RGB(255, 255, 255), RGB(192, 192, 192), RGB(192, 192, 192),
    RGB(128, 128, 128), RGB(0, 0, 128),     RGB(255, 255, 255), RGB(192, 192, 192),
    RGB(128, 128, 128), RGB(128, 128, 128), RGB(0, 0, 0),       RGB(192, 192, 192),
    RGB(255, 255, 255), RGB(0, 0, 0),       RGB(223, 223, 223), RGB(0, 0, 0),
    RGB(255, 255, 225)};

struct Table {
  std::unordered_map<uintptr_t, GdiObject> objects;
  uintptr_t next = kFirstHandle;
  HGDIOBJ stock[kStockCount] = {};
  HBRUSH colorBrushes[kSystemColorCount] = {};

  HGDIOBJ Add(const GdiObject& object) {
    next += 4;
    objects[next] = object;
    return (HGDIOBJ)next;
  }
};

LOGFONT MakeFont(LONG height, LONG width, LONG weight, BYTE pitchAndFamily, const char* face) {
  LOGFONT f{};
  f.lfHeight = height;
  f.lfWidth = width;
  f.lfWeight = weight;
  f.lfCharSet = ANSI_CHARSET;
  f.lfPitchAndFamily = pitchAndFamily;
  strncpy(f.lfFaceName, face, LF_FACESIZE - 1);
  return f;
}

GdiObject Brush(COLORREF color, bool null = false) {
  GdiObject o;
  o.kind = ObjectKind::kBrush;
  o.stock = true;
  o.null = null;
  o.color = color;
  return o;
}

GdiObject Pen(COLORREF color, bool null = false) {
  GdiObject o = Brush(color, null);
  o.kind = ObjectKind::kPen;
  return o;
}

GdiObject Font(const LOGFONT& font) {
  GdiObject o;
  o.kind = ObjectKind::kFont;
  o.stock = true;
  o.font = font;
  return o;
}

Table& TheTable() {
  static Table* table = [] {
    auto* t = new Table;
    const GdiObject stock[kStockCount] = {
        Brush(RGB(255, 255, 255)),
        Brush(RGB(192, 192, 192)),
        Brush(RGB(128, 128, 128)),
        Brush(RGB(64, 64, 64)),
        Brush(RGB(0, 0, 0)),
        Brush(0, true),
        Pen(RGB(255, 255, 255)),
        Pen(RGB(0, 0, 0)),
        Pen(0, true),
        Brush(0, true),  // 9 is unused; a null brush keeps the slot harmless
        Font(MakeFont(12, 8, FW_NORMAL, FIXED_PITCH | FF_MODERN, "Terminal")),
        Font(MakeFont(12, 9, FW_NORMAL, FIXED_PITCH | FF_MODERN, "Courier")),
        Font(MakeFont(13, 0, FW_NORMAL, VARIABLE_PITCH | FF_SWISS, "Sans Serif")),
        Font(MakeFont(16, 7, FW_BOLD, VARIABLE_PITCH | FF_SWISS, "System")),
        Font(MakeFont(16, 7, FW_BOLD, VARIABLE_PITCH | FF_SWISS, "System")),
        Brush(0, true),  // 15, a palette elsewhere
        Font(MakeFont(16, 8, FW_NORMAL, FIXED_PITCH | FF_MODERN, "Fixedsys")),
        Font(MakeFont(-11, 0, FW_NORMAL, VARIABLE_PITCH | FF_SWISS, "Sans Serif")),
    };
    for (int i = 0; i < kStockCount; ++i)
      t->stock[i] = t->Add(stock[i]);
    for (int i = 0; i < kSystemColorCount; ++i)
      t->colorBrushes[i] = (HBRUSH)t->Add(Brush(kSystemColors[i]));
    return t;
  }();
  return *table;
}

}  // namespace

GdiObject* FindObject(HGDIOBJ handle) {
  auto& objects = TheTable().objects;
  auto it = objects.find((uintptr_t)handle);
  return it == objects.end() ? nullptr : &it->second;
}

COLORREF SystemColor(int index) {
  return index >= 0 && index < kSystemColorCount ? kSystemColors[index] : 0;
}

bool BrushColor(HBRUSH brush, COLORREF* color) {
  uintptr_t value = (uintptr_t)brush;
  if (value >= 1 && value <= (uintptr_t)kSystemColorCount) {
    *color = SystemColor((int)value - 1);
    return true;
  }
  GdiObject* o = FindObject(brush);
  if (!o || o->kind != ObjectKind::kBrush || o->null) return false;
  *color = o->color;
  return true;
}

LOGFONT SystemFont() {
  return FindObject(TheTable().stock[SYSTEM_FONT])->font;
}

LOGFONT FontOf(HFONT font) {
  GdiObject* o = FindObject(font);
  return o && o->kind == ObjectKind::kFont ? o->font : SystemFont();
}

}  // namespace plat::gdi

using plat::gdi::FindObject;
using plat::gdi::GdiObject;
using plat::gdi::ObjectKind;

HGDIOBJ GetStockObject(int index) {
  if (index < 0 || index >= plat::gdi::kStockCount || index == 9 || index == 15) return nullptr;
  return plat::gdi::TheTable().stock[index];
}

DWORD GetSysColor(int index) {
  return plat::gdi::SystemColor(index);
}

HBRUSH GetSysColorBrush(int index) {
  if (index < 0 || index >= plat::gdi::kSystemColorCount) return nullptr;
  return plat::gdi::TheTable().colorBrushes[index];
}

HBRUSH CreateSolidBrush(COLORREF color) {
  GdiObject o;
  o.kind = ObjectKind::kBrush;
  o.color = color & 0x00FFFFFF;
  return (HBRUSH)plat::gdi::TheTable().Add(o);
}

HFONT CreateFontIndirect(const LOGFONT* font) {
  if (!font) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  GdiObject o;
  o.kind = ObjectKind::kFont;
  o.font = *font;
  o.font.lfFaceName[LF_FACESIZE - 1] = 0;
  return (HFONT)plat::gdi::TheTable().Add(o);
}

HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                 DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                 DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCSTR face) {
  LOGFONT f{};
  f.lfHeight = height;
  f.lfWidth = width;
  f.lfEscapement = escapement;
  f.lfOrientation = orientation;
  f.lfWeight = weight;
  f.lfItalic = (BYTE)italic;
  f.lfUnderline = (BYTE)underline;
  f.lfStrikeOut = (BYTE)strikeOut;
  f.lfCharSet = (BYTE)charSet;
  f.lfOutPrecision = (BYTE)outPrecision;
  f.lfClipPrecision = (BYTE)clipPrecision;
  f.lfQuality = (BYTE)quality;
  f.lfPitchAndFamily = (BYTE)pitchAndFamily;
  if (face) strncpy(f.lfFaceName, face, LF_FACESIZE - 1);
  return CreateFontIndirect(&f);
}

BOOL DeleteObject(HGDIOBJ object) {
  GdiObject* o = FindObject(object);
  if (!o) return FALSE;
  if (!o->stock) plat::gdi::TheTable().objects.erase((uintptr_t)object);
  return TRUE;
}

int GetObject(HGDIOBJ object, int size, LPVOID buffer) {
  GdiObject* o = FindObject(object);
  if (!o) return 0;
  if (o->kind == ObjectKind::kFont) {
    if (!buffer) return (int)sizeof(LOGFONT);
    int n = size < (int)sizeof(LOGFONT) ? size : (int)sizeof(LOGFONT);
    memcpy(buffer, &o->font, n > 0 ? (size_t)n : 0);
    return n > 0 ? n : 0;
  }
  if (o->kind == ObjectKind::kBrush) {
    LOGBRUSH b{o->null ? (UINT)BS_NULL : (UINT)BS_SOLID, o->color, 0};
    if (!buffer) return (int)sizeof b;
    int n = size < (int)sizeof b ? size : (int)sizeof b;
    memcpy(buffer, &b, n > 0 ? (size_t)n : 0);
    return n > 0 ? n : 0;
  }
  return 0;
}
