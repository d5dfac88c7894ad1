// Rectangle helpers. An empty rectangle has no area (right <= left or
// bottom <= top); the results that Win32 gives as empty are all-zero.
#include <algorithm>

#include "platform/winuser.h"

BOOL SetRect(LPRECT rect, int left, int top, int right, int bottom) {
  if (!rect) return FALSE;
  *rect = RECT{left, top, right, bottom};
  return TRUE;
}

BOOL SetRectEmpty(LPRECT rect) {
  return SetRect(rect, 0, 0, 0, 0);
}

BOOL CopyRect(LPRECT to, const RECT* from) {
  if (!to || !from) return FALSE;
  *to = *from;
  return TRUE;
}

BOOL IsRectEmpty(const RECT* r) {
  return !r || r->left >= r->right || r->top >= r->bottom;
}

BOOL EqualRect(const RECT* a, const RECT* b) {
  return a && b && a->left == b->left && a->top == b->top && a->right == b->right &&
         a->bottom == b->bottom;
}

BOOL PtInRect(const RECT* r, POINT p) {
  return r && p.x >= r->left && p.x < r->right && p.y >= r->top && p.y < r->bottom;
}

BOOL OffsetRect(LPRECT r, int dx, int dy) {
  if (!r) return FALSE;
  r->left += dx;
  r->right += dx;
  r->top += dy;
  r->bottom += dy;
  return TRUE;
}

BOOL InflateRect(LPRECT r, int dx, int dy) {
  if (!r) return FALSE;
  r->left -= dx;
  r->right += dx;
  r->top -= dy;
  r->bottom += dy;
  return TRUE;
}

BOOL IntersectRect(LPRECT result, const RECT* a, const RECT* b) {
  if (!result || !a || !b) return FALSE;
  RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
         std::min(a->bottom, b->bottom)};
  if (IsRectEmpty(&r)) {
    *result = RECT{0, 0, 0, 0};
    return FALSE;
  }
  *result = r;
  return TRUE;
}

BOOL UnionRect(LPRECT result, const RECT* a, const RECT* b) {
  if (!result || !a || !b) return FALSE;
  if (IsRectEmpty(a)) {
    *result = IsRectEmpty(b) ? RECT{0, 0, 0, 0} : *b;
  } else if (IsRectEmpty(b)) {
    *result = *a;
  } else {
    *result = RECT{std::min(a->left, b->left), std::min(a->top, b->top),
                   std::max(a->right, b->right), std::max(a->bottom, b->bottom)};
  }
  return !IsRectEmpty(result);
}
