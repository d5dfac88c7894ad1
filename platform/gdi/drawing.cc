// The drawing calls. Each records operations into its DC with the clip and
// colours it resolves; extents come from the same metrics GetTextExtentPoint32
// uses, so what a program measures is what the recording shows.
#include <algorithm>

#include "gdi/device_context.h"
#include "gdi/font_metrics.h"
#include "gdi/gdi_objects.h"
#include "resource/icon_table.h"

using plat::gdi::DeviceContext;
using plat::gdi::DrawOp;
using plat::gdi::FindDC;

namespace {

RECT Intersect(const RECT& a, const RECT& b) {
  return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
              std::min(a.bottom, b.bottom)};
}

bool Empty(const RECT& r) {
  return r.left >= r.right || r.top >= r.bottom;
}

void Fill(DeviceContext* dc, const RECT& rect, COLORREF color) {
  RECT shown = Intersect(rect, dc->clip);
  if (Empty(shown)) return;
  DrawOp op;
  op.kind = DrawOp::Kind::kFill;
  op.rect = shown;
  op.clip = dc->clip;
  op.color = color;
  dc->ops.push_back(op);
}

// One run of text without tabs at (x, y); returns its width. The background
// mode fills the run's cell unless an opaque rectangle already stands for it.
int Run(DeviceContext* dc, int x, int y, const char* text, int count, const RECT& clip,
        bool rectangleFilled = false) {
  plat::gdi::FontMetrics m = plat::gdi::MetricsOf(dc->font);
  int width = plat::gdi::TextWidth(m, text, count);
  RECT cell{x, y, x + width, y + m.height};
  if (dc->bkMode == OPAQUE && !rectangleFilled) Fill(dc, Intersect(cell, clip), dc->bkColor);
  if (count > 0 && !Empty(Intersect(cell, clip))) {
    DrawOp op;
    op.kind = DrawOp::Kind::kText;
    op.rect = cell;
    op.clip = clip;
    op.color = dc->textColor;
    op.text.assign(text, (size_t)count);
    op.font = dc->font;
    dc->ops.push_back(op);
  }
  return width;
}

}  // namespace

int FillRect(HDC handle, const RECT* rect, HBRUSH brush) {
  DeviceContext* dc = FindDC(handle);
  if (!dc || !rect) return 0;
  COLORREF color;
  if (!plat::gdi::BrushColor(brush, &color)) return plat::gdi::FindObject(brush) ? 1 : 0;
  Fill(dc, *rect, color);
  return 1;
}

BOOL TextOut(HDC handle, int x, int y, LPCSTR text, int count) {
  DeviceContext* dc = FindDC(handle);
  if (!dc || count < 0 || (count > 0 && !text)) return FALSE;
  Run(dc, x, y, text, count, dc->clip);
  return TRUE;
}

BOOL ExtTextOut(HDC handle, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT count,
                const INT* dx) {
  DeviceContext* dc = FindDC(handle);
  if (!dc || (count > 0 && !text)) return FALSE;
  bool filled = rect && (options & ETO_OPAQUE);
  if (filled) Fill(dc, *rect, dc->bkColor);
  RECT clip = rect && (options & ETO_CLIPPED) ? Intersect(dc->clip, *rect) : dc->clip;
  if (!dx) {
    Run(dc, x, y, text, (int)count, clip, filled);
    return TRUE;
  }
  // Given advances place each character on its own.
  for (UINT i = 0; i < count; ++i) {
    Run(dc, x, y, text + i, 1, clip, filled);
    x += dx[i];
  }
  return TRUE;
}

// Win32's rules: stops relative to tabOrigin; one stop means "every n pixels";
// none (or past the last) means every 8 average characters; a stop at or
// before the end of the text so far is skipped.
LONG TabbedTextOut(HDC handle, int x, int y, LPCSTR text, int count, int tabCount,
                   const INT* tabPositions, int tabOrigin) {
  DeviceContext* dc = FindDC(handle);
  if (!dc || count < 0 || (count > 0 && !text)) return 0;
  plat::gdi::FontMetrics m = plat::gdi::MetricsOf(dc->font);
  int defaultWidth = 8 * m.aveCharWidth;
  if (!tabPositions) tabCount = 0;
  if (tabCount == 1) {
    defaultWidth = tabPositions[0];
    tabCount = 0;
  }
  int start = x;
  int i = 0;
  while (i < count) {
    int j = i;
    while (j < count && text[j] != '\t')
      ++j;
    int width = Run(dc, x, y, text + i, j - i, dc->clip);
    int end = x + width;
    if (j == count) {
      x = end;
      break;
    }
    while (tabCount > 0 && tabOrigin + *tabPositions <= end) {
      ++tabPositions;
      --tabCount;
    }
    int next;
    if (tabCount > 0) {
      next = tabOrigin + *tabPositions;
    } else if (defaultWidth <= 0) {
      next = end;
    } else {
      next = tabOrigin + ((end - tabOrigin) / defaultWidth + 1) * defaultWidth;
    }
    if (dc->bkMode == OPAQUE) Fill(dc, RECT{end, y, next, y + m.height}, dc->bkColor);
    x = next;
    i = j + 1;
  }
  return MAKELONG(x - start, m.height);
}

BOOL DrawIcon(HDC handle, int x, int y, HICON icon) {
  DeviceContext* dc = FindDC(handle);
  const plat::gdi::IconImage* image = plat::res::IconImageOf(icon);
  if (!dc || !image) return FALSE;
  DrawOp op;
  op.kind = DrawOp::Kind::kIcon;
  op.rect = RECT{x, y, x + image->width, y + image->height};
  op.clip = dc->clip;
  op.icon = image;
  if (!Empty(Intersect(op.rect, op.clip))) dc->ops.push_back(op);
  return TRUE;
}
