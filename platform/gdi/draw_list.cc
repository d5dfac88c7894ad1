// Reading and keeping recorded drawing.
#include "gdi/draw_list.h"

#include <algorithm>

#include "gdi/font_metrics.h"

namespace plat::gdi {

namespace {

RECT Visible(const DrawOp& op) {
  return RECT{std::max(op.rect.left, op.clip.left), std::max(op.rect.top, op.clip.top),
              std::min(op.rect.right, op.clip.right), std::min(op.rect.bottom, op.clip.bottom)};
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

bool Empty(const RECT& r) {
  return r.left >= r.right || r.top >= r.bottom;
}

// Past this a program draws without ever covering old drawing; the oldest goes.
constexpr size_t kMaxRetained = 16384;

}  // namespace

std::string VisibleText(const DrawOp& op) {
  if (op.kind != DrawOp::Kind::kText) return "";
  FontMetrics m = MetricsOf(op.font);
  if (op.rect.top < op.clip.top || op.rect.bottom > op.clip.bottom) return "";
  std::string seen;
  int x = op.rect.left;
  for (char c : op.text) {
    int w = CharWidth(m, (unsigned char)c);
    if (x >= op.clip.left && x + w <= op.clip.right) seen += c;
    x += w;
  }
  return seen;
}

void RetainedPicture::Add(const DrawList& ops) {
  for (const DrawOp& op : ops) {
    RECT shown = Visible(op);
    if (Empty(shown)) continue;
    if (op.kind == DrawOp::Kind::kFill) {
      std::erase_if(ops_, [&](const DrawOp& old) { return Inside(Visible(old), shown); });
    }
    ops_.push_back(op);
  }
  if (ops_.size() > kMaxRetained) ops_.erase(ops_.begin(), ops_.end() - kMaxRetained);
}

}  // namespace plat::gdi
