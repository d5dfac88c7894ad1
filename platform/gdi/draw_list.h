// What drawing leaves behind: a list of operations in a window's client
// coordinates, each with its clip and colours resolved, so a backend replays
// it without knowing device contexts, brushes, modes or tab rules. Text runs
// hold no tabs; a run's rect is exactly its measured extent.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/wingdi.h"

namespace plat::gdi {

// An icon's pixels, row by row, 0xAARRGGBB; alpha 0 is transparent.
struct IconImage {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> argb;
};

struct DrawOp {
  enum class Kind { kFill, kText, kIcon };
  Kind kind = Kind::kFill;
  RECT rect{};  // the filled area, the text's cell (origin, extent, font height), the icon's bounds
  RECT clip{};  // nothing outside shows
  COLORREF color = 0;  // fill or text colour
  std::string text;
  LOGFONT font{};
  const IconImage* icon = nullptr;  // images of loaded icons live as long as the process
};
using DrawList = std::vector<DrawOp>;

// The characters of a text run whose cells lie wholly inside its clip: what a
// person can read of it.
std::string VisibleText(const DrawOp& op);

// The picture a window shows: its drawing sessions in order, later ones over
// earlier ones. An opaque fill drops whatever it covers completely, so a window
// that repaints the same areas keeps a list of bounded length.
class RetainedPicture {
 public:
  void Add(const DrawList& ops);
  const DrawList& Ops() const { return ops_; }
  void Clear() { ops_.clear(); }

 private:
  DrawList ops_;
};

}  // namespace plat::gdi
