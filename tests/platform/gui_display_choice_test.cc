// The layer's choice of display backend, and fonts measured by a backend: the
// GDI's every measurement (text extents, metrics, dialog units, tab stops) must
// come from the installed measurer so that layout and drawing agree.
#include <gtest/gtest.h>

#include "gdi/font_metrics.h"
#include "gui/display_choice.h"
#include "platform/windows.h"

using plat::gui::ChooseDisplay;
using plat::gui::DisplayKind;

TEST(DisplayChoice, ForcedBackendsWinElseADisplayThatOpensDecides) {
  struct Case {
    const char* what;
    const char* forced;
    const char* display;
    bool opens;
    DisplayKind expected;
    bool asksToOpen;
  } cases[] = {
      {"nothing set", nullptr, nullptr, true, DisplayKind::kHeadless, false},
      {"an empty DISPLAY", nullptr, "", true, DisplayKind::kHeadless, false},
      {"a display that opens", nullptr, ":5", true, DisplayKind::kFltk, true},
      {"a display that does not open", nullptr, ":5", false, DisplayKind::kHeadless, true},
      {"headless forced over a display", "headless", ":5", true, DisplayKind::kHeadless, false},
      {"fltk forced without DISPLAY still tries", "fltk", nullptr, true, DisplayKind::kFltk, true},
      {"fltk forced but no connection", "fltk", ":5", false, DisplayKind::kHeadless, true},
      {"an unknown value counts as unset", "vga", ":5", true, DisplayKind::kFltk, true},
  };
  for (const Case& c : cases) {
    bool asked = false;
    DisplayKind kind = ChooseDisplay(c.forced, c.display, [&] {
      asked = true;
      return c.opens;
    });
    EXPECT_EQ(kind, c.expected) << c.what;
    EXPECT_EQ(asked, c.asksToOpen) << c.what;
  }
}

namespace {

// Every character 10 pixels wide but "i" (3), in a 20-pixel cell.
class FixedMeasurer : public plat::gdi::FontMeasurer {
 public:
  plat::gdi::FontMetrics Metrics(const LOGFONT& font) override {
    plat::gdi::FontMetrics m;
    m.height = 20;
    m.ascent = 16;
    m.descent = 4;
    m.aveCharWidth = 10;
    m.maxCharWidth = 10;
    return m;
  }
  int Advance(const LOGFONT&, unsigned char c) override { return c == 'i' ? 3 : 10; }
};

}  // namespace

TEST(DisplayChoice, AnInstalledMeasurerAnswersEveryMeasurementOfTheGdi) {
  FixedMeasurer measurer;
  plat::gdi::InstallFontMeasurer(&measurer);
  HDC dc = GetDC(nullptr);
  SIZE size{};
  ASSERT_TRUE(GetTextExtentPoint32(dc, "hi\x01", 3, &size));
  EXPECT_EQ(size.cx, 13) << "a control character has no advance";
  EXPECT_EQ(size.cy, 20);
  TEXTMETRIC tm{};
  ASSERT_TRUE(GetTextMetrics(dc, &tm));
  EXPECT_EQ(tm.tmHeight, 20);
  EXPECT_EQ(tm.tmAveCharWidth, 10);
  ReleaseDC(nullptr, dc);
  // Dialog base units: the 52 letters' extent (50 * 10 + 2 * 3) over 26, halved and rounded.
  EXPECT_EQ(LOWORD(GetDialogBaseUnits()), (506 / 26 + 1) / 2);
  EXPECT_EQ(HIWORD(GetDialogBaseUnits()), 20);
  plat::gdi::InstallFontMeasurer(nullptr);
  ASSERT_TRUE(GetTextExtentPoint32(dc = GetDC(nullptr), "hi", 2, &size));
  EXPECT_NE(size.cx, 13) << "the synthetic face is back";
  ReleaseDC(nullptr, dc);
}
