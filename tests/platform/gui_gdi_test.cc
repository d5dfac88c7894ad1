// Drawing as it is recorded: measuring, tabs, clipping, painting and erasing,
// GDI objects, system colours and metrics.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "gdi/draw_list.h"
#include "tests/platform/gui_test_resources.h"
#include "tests/platform/gui_test_support.h"

using plat::gdi::DrawList;
using plat::gdi::DrawOp;

namespace {

HWND Window() {
  HWND hwnd = wintest::MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  wintest::Drain();
  return hwnd;
}

int Width(HDC dc, const std::string& text) {
  SIZE size;
  GetTextExtentPoint32(dc, text.c_str(), (int)text.size(), &size);
  return size.cx;
}

DrawList LastDrawing(HWND hwnd) {
  std::vector<DrawList> sessions = guitest::Display().Sessions(hwnd);
  return sessions.empty() ? DrawList{} : sessions.back();
}

std::vector<DrawOp> Only(const DrawList& ops, DrawOp::Kind kind) {
  std::vector<DrawOp> result;
  for (const DrawOp& op : ops) {
    if (op.kind == kind) result.push_back(op);
  }
  return result;
}

}  // namespace

TEST(Gdi, MulDivRoundsHalfAwayFromZeroAndAnswersMinusOneWhenItCannot) {
  struct Case {
    int a, b, c, expected;
  } cases[] = {
      {10, 96, 72, 13},
      {-10, 96, 72, -13},
      {5, 1, 2, 3},
      {-5, 1, 2, -3},
      {5, -1, -2, 3},
      {7, 1, 2, 4},
      {1, 1, 3, 0},
      {2, 1, 3, 1},
      {1, 1, 0, -1},
      {INT_MAX, 2, 1, -1},
      {INT_MAX, 2, 2, INT_MAX},
      {-8, 1, -3, 3},
  };
  for (const Case& k : cases)
    EXPECT_EQ(MulDiv(k.a, k.b, k.c), k.expected) << k.a << "*" << k.b << "/" << k.c;
}

TEST(Gdi, TabbedTextOutPutsRunsAtTheStopsAndAnswersTheExtent) {
  HWND hwnd = Window();
  HDC dc = GetDC(hwnd);
  int average = 0;
  {
    TEXTMETRIC tm;
    GetTextMetrics(dc, &tm);
    average = tm.tmAveCharWidth;
  }
  ReleaseDC(hwnd, dc);
  struct Case {
    const char* what;
    const char* text;
    std::vector<INT> stops;
    int origin, x;
    std::vector<int> lefts;  // where each run starts; -1: after the previous stop rule
  } cases[] = {
      {"stops as given", "A\tBB\tC", {40, 80}, 0, 5, {5, 40, 80}},
      {"a stop the text has passed is skipped", "WWWWW\tX", {40, 80}, 0, 5, {5, 80}},
      {"one stop repeats", "a\tb\tc", {30}, 0, 0, {0, 30, 60}},
      {"no stops: every 8 average characters", "a\tb", {}, 10, 10, {10, 10 + 8 * average}},
      {"stops count from the origin", "a\tb", {40}, 100, 100, {100, 140}},
  };
  for (const Case& c : cases) {
    dc = GetDC(hwnd);
    LONG extent = TabbedTextOut(dc, c.x, 3, c.text, (int)strlen(c.text), (int)c.stops.size(),
                                c.stops.empty() ? nullptr : c.stops.data(), c.origin);
    std::vector<std::string> runs;
    std::string all = c.text;
    for (size_t at = 0;;) {
      size_t tab = all.find('\t', at);
      runs.push_back(all.substr(at, tab - at));
      if (tab == std::string::npos) break;
      at = tab + 1;
    }
    int lastWidth = Width(dc, runs.back());
    ReleaseDC(hwnd, dc);
    std::vector<DrawOp> texts = Only(LastDrawing(hwnd), DrawOp::Kind::kText);
    ASSERT_EQ(texts.size(), c.lefts.size()) << c.what;
    for (size_t i = 0; i < texts.size(); ++i) {
      EXPECT_EQ(texts[i].rect.left, c.lefts[i]) << c.what << " run " << i;
      EXPECT_EQ(texts[i].text, runs[i]) << c.what;
      EXPECT_EQ(texts[i].rect.top, 3);
    }
    EXPECT_EQ(LOWORD(extent), c.lefts.back() + lastWidth - c.x) << c.what;
    EXPECT_EQ(HIWORD(extent), texts[0].rect.bottom - texts[0].rect.top);
  }
  // A trailing tab counts in the extent.
  dc = GetDC(hwnd);
  INT stop = 50;
  EXPECT_EQ(LOWORD(TabbedTextOut(dc, 0, 0, "a\t", 2, 1, &stop, 0)), 50);
  ReleaseDC(hwnd, dc);
}

TEST(Gdi, ClippedTextShowsOnlyWhatFitsAndAnOpaqueRectangleIsFilled) {
  HWND hwnd = Window();
  HDC dc = GetDC(hwnd);
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  RECT pane{10, 0, 40, 20};
  const char* text = "Server Ready";
  ExtTextOut(dc, 12, 2, ETO_CLIPPED | ETO_OPAQUE, &pane, text, (UINT)strlen(text), nullptr);
  std::string fits;
  for (size_t n = 1; n <= strlen(text) && 12 + Width(dc, std::string(text, n)) <= 40; ++n)
    fits.assign(text, n);
  int full = Width(dc, text);
  ReleaseDC(hwnd, dc);

  DrawList ops = LastDrawing(hwnd);
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_EQ(ops[0].kind, DrawOp::Kind::kFill);
  EXPECT_TRUE(EqualRect(&ops[0].rect, &pane));
  EXPECT_EQ(ops[0].color, RGB(192, 192, 192));
  ASSERT_EQ(ops[1].kind, DrawOp::Kind::kText);
  EXPECT_TRUE(EqualRect(&ops[1].clip, &pane));
  EXPECT_EQ(ops[1].rect.right - ops[1].rect.left, full);  // measured as GetTextExtentPoint32 does
  EXPECT_GT(ops[1].rect.right, pane.right);
  EXPECT_EQ(ops[1].color, RGB(0, 0, 0));
  EXPECT_FALSE(fits.empty());
  EXPECT_EQ(plat::gdi::VisibleText(ops[1]), fits);

  // Without ETO_OPAQUE nothing is filled, whatever the rectangle.
  dc = GetDC(hwnd);
  SetBkMode(dc, TRANSPARENT);
  ExtTextOut(dc, 12, 2, ETO_CLIPPED, &pane, text, (UINT)strlen(text), nullptr);
  ReleaseDC(hwnd, dc);
  EXPECT_EQ(LastDrawing(hwnd).size(), 1u);
}

TEST(Gdi, OpaqueModeFillsTheTextCellAndTransparentModeDoesNot) {
  HWND hwnd = Window();
  HDC dc = GetDC(hwnd);
  EXPECT_EQ(GetBkMode(dc), OPAQUE);
  SetBkColor(dc, RGB(1, 2, 3));
  TextOut(dc, 4, 5, "Idle", 4);
  EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
  TextOut(dc, 4, 30, "Idle", 4);
  int width = Width(dc, "Idle");
  ReleaseDC(hwnd, dc);
  DrawList ops = LastDrawing(hwnd);
  ASSERT_EQ(ops.size(), 3u);
  EXPECT_EQ(ops[0].kind, DrawOp::Kind::kFill);
  EXPECT_EQ(ops[0].color, RGB(1, 2, 3));
  EXPECT_EQ(ops[0].rect.right - ops[0].rect.left, width);
  EXPECT_EQ(ops[1].kind, DrawOp::Kind::kText);
  EXPECT_EQ(ops[2].kind, DrawOp::Kind::kText);
}

namespace {

PAINTSTRUCT lastPaint;
int paints = 0;
LRESULT CALLBACK Painter(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  wintest::Log().push_back(wintest::Seen{hwnd, message, wParam, lParam});
  if (message != WM_PAINT) return DefWindowProc(hwnd, message, wParam, lParam);
  ++paints;
  HDC dc = BeginPaint(hwnd, &lastPaint);
  SetBkMode(dc, TRANSPARENT);
  TextOut(dc, 0, 0, "drawn everywhere", 16);
  EndPaint(hwnd, &lastPaint);
  return 0;
}

HWND PainterWindow(const char* name, HBRUSH background) {
  WNDCLASS wc{};
  wc.lpfnWndProc = Painter;
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  RegisterClass(&wc);
  HWND hwnd = CreateWindow(name, "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                           nullptr, nullptr, nullptr);
  wintest::Drain();
  return hwnd;
}

}  // namespace

TEST(Painting, OnePaintCoversAllInvalidationsErasesWithTheClassBrushAndClipsToThem) {
  HWND hwnd = PainterWindow("Brushed", (HBRUSH)(COLOR_WINDOW + 1));
  paints = 0;
  wintest::Log().clear();
  RECT a{10, 10, 20, 20}, b{50, 40, 60, 45};
  InvalidateRect(hwnd, &a, FALSE);
  InvalidateRect(hwnd, &b, TRUE);
  PostMessage(hwnd, WM_USER, 0, 0);
  wintest::Drain();
  EXPECT_EQ(paints, 1);
  EXPECT_EQ(wintest::Messages(hwnd), (std::vector<UINT>{WM_USER, WM_PAINT, WM_ERASEBKGND}));
  RECT both{10, 10, 60, 45};
  EXPECT_TRUE(EqualRect(&lastPaint.rcPaint, &both));
  EXPECT_FALSE(lastPaint.fErase);  // the class brush did it
  RECT update;
  EXPECT_FALSE(GetUpdateRect(hwnd, &update, FALSE));

  DrawList ops = LastDrawing(hwnd);
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_EQ(ops[0].kind, DrawOp::Kind::kFill);
  EXPECT_TRUE(EqualRect(&ops[0].rect, &both));
  EXPECT_EQ(ops[0].color, RGB(255, 255, 255));
  EXPECT_TRUE(EqualRect(&ops[1].clip, &both));
}

TEST(Painting, WithoutABrushTheWindowIsToldToEraseAndWithoutEraseNothingIsSent) {
  HWND hwnd = PainterWindow("Bare", nullptr);
  InvalidateRect(hwnd, nullptr, TRUE);
  wintest::Drain();
  EXPECT_TRUE(lastPaint.fErase);
  wintest::Log().clear();
  InvalidateRect(hwnd, nullptr, FALSE);
  wintest::Drain();
  EXPECT_FALSE(lastPaint.fErase);
  EXPECT_EQ(wintest::Messages(hwnd), std::vector<UINT>{WM_PAINT});
  // A paint nobody asked for draws nothing: its update rectangle is empty.
  SendMessage(hwnd, WM_PAINT, 0, 0);
  EXPECT_TRUE(IsRectEmpty(&lastPaint.rcPaint));
  EXPECT_TRUE(LastDrawing(hwnd).empty());
}

TEST(Painting, ThePictureOfARepaintedPaneStaysTheSameSize) {
  HWND hwnd = Window();
  RECT pane{0, 100, 120, 118};
  for (int i = 0; i < 100; ++i) {
    HDC dc = GetDC(hwnd);
    std::string text = "Requests " + std::to_string(i);
    ExtTextOut(dc, 2, 101, ETO_OPAQUE | ETO_CLIPPED, &pane, text.c_str(), (UINT)text.size(),
               nullptr);
    ReleaseDC(hwnd, dc);
  }
  DrawList picture = guitest::Display().Picture(hwnd);
  ASSERT_EQ(picture.size(), 2u);
  EXPECT_EQ(picture[1].text, "Requests 99");
}

TEST(Gdi, FontsHaveFixedMetricsAndOutliveTheirHandleInADC) {
  LOGFONT system;
  ASSERT_EQ(GetObject(GetStockObject(SYSTEM_FONT), sizeof system, &system), (int)sizeof system);
  EXPECT_GT(system.lfHeight, 0);
  LOGFONT smaller = system;
  smaller.lfHeight -= 2;
  smaller.lfWidth -= 2;
  smaller.lfWeight = 300;
  HFONT list = CreateFontIndirect(&smaller);
  HFONT status = CreateFont(-MulDiv(10, 96, 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0,
                            VARIABLE_PITCH | FF_SWISS, "Helv");
  HDC dc = GetDC(nullptr);
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), GetSystemMetrics(SM_CXSCREEN));
  TEXTMETRIC tm;
  SelectObject(dc, list);
  GetTextMetrics(dc, &tm);
  EXPECT_EQ(tm.tmHeight, smaller.lfHeight);
  EXPECT_EQ(tm.tmAveCharWidth, smaller.lfWidth);
  SelectObject(dc, status);
  GetTextMetrics(dc, &tm);
  EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 13);
  int before = Width(dc, "Port Mapper Ready");
  EXPECT_TRUE(DeleteObject(status));
  EXPECT_EQ(Width(dc, "Port Mapper Ready"), before);  // the DC keeps what it had
  EXPECT_EQ(GetObject(status, sizeof smaller, &smaller), 0);
  EXPECT_FALSE(DeleteObject(status));
  HFONT absurd = CreateFont(INT_MIN, INT_MAX, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "x");
  SelectObject(dc, absurd);  // sizes no font has are clamped, never overflow
  GetTextMetrics(dc, &tm);
  EXPECT_GT(tm.tmHeight, 0);
  EXPECT_GT(Width(dc, std::string(5000, 'W')), 0);
  DeleteObject(absurd);
  EXPECT_TRUE(DeleteObject(GetStockObject(SYSTEM_FONT)));  // stock objects stay
  EXPECT_EQ(GetObject(GetStockObject(SYSTEM_FONT), sizeof system, &system), (int)sizeof system);
  ReleaseDC(nullptr, dc);
  DeleteObject(list);
}

TEST(Gdi, SystemColoursAndBrushesAreTheClassicScheme) {
  struct Case {
    int index;
    COLORREF color;
  } cases[] = {
      {COLOR_WINDOW, RGB(255, 255, 255)},       {COLOR_WINDOWTEXT, RGB(0, 0, 0)},
      {COLOR_BTNFACE, RGB(192, 192, 192)},      {COLOR_BTNSHADOW, RGB(128, 128, 128)},
      {COLOR_BTNHIGHLIGHT, RGB(255, 255, 255)}, {COLOR_BTNTEXT, RGB(0, 0, 0)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GetSysColor(c.index), c.color) << c.index;
    LOGBRUSH brush;
    ASSERT_EQ(GetObject(GetSysColorBrush(c.index), sizeof brush, &brush), (int)sizeof brush);
    EXPECT_EQ(brush.lbColor, c.color);
  }
  EXPECT_EQ(GetSysColorBrush(99), nullptr);

  HWND hwnd = Window();
  HDC dc = GetDC(hwnd);
  RECT r{0, 0, 10, 10};
  FillRect(dc, &r, (HBRUSH)(COLOR_BTNSHADOW + 1));
  FillRect(dc, &r, (HBRUSH)GetStockObject(NULL_BRUSH));
  HBRUSH own = CreateSolidBrush(RGB(9, 8, 7));
  FillRect(dc, &r, own);
  ReleaseDC(hwnd, dc);
  DeleteObject(own);
  DrawList ops = LastDrawing(hwnd);
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_EQ(ops[0].color, RGB(128, 128, 128));
  EXPECT_EQ(ops[1].color, RGB(9, 8, 7));
}

TEST(Gdi, SystemMetricsAreTheSizesWindowsAreLaidOutWith) {
  HWND hwnd = Window();
  SetMenu(hwnd, CreateMenu());
  MoveWindow(hwnd, 0, 0, 400, 300, FALSE);
  RECT client;
  GetClientRect(hwnd, &client);
  EXPECT_EQ(300 - client.bottom, GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYMENU) +
                                     2 * GetSystemMetrics(SM_CYFRAME));
  EXPECT_EQ(400 - client.right, 2 * GetSystemMetrics(SM_CXFRAME));
  HWND child = CreateWindow("Recorder", "", WS_CHILD | WS_BORDER, 0, 0, 50, 20, hwnd, (HMENU)1,
                            nullptr, nullptr);
  GetClientRect(child, &client);
  EXPECT_EQ(20 - client.bottom, 2 * GetSystemMetrics(SM_CYBORDER));
}

TEST(Gdi, AnIconIsDrawnWithItsOwnPixels) {
  HWND hwnd = Window();
  HICON icon = LoadIcon(GetModuleHandle(nullptr), MAKEINTRESOURCE(guitest::kAppIcon));
  HDC dc = GetDC(hwnd);
  EXPECT_TRUE(DrawIcon(dc, 3, 4, icon));
  EXPECT_FALSE(DrawIcon(dc, 3, 4, (HICON)0x1234));
  ReleaseDC(hwnd, dc);
  DrawList ops = LastDrawing(hwnd);
  ASSERT_EQ(ops.size(), 1u);
  ASSERT_EQ(ops[0].kind, DrawOp::Kind::kIcon);
  RECT bounds{3, 4, 9, 9};  // the icon's rows are 6 wide, 5 high
  EXPECT_TRUE(EqualRect(&ops[0].rect, &bounds));
  EXPECT_EQ(ops[0].icon->argb[0], 0u);  // '.' is transparent
  EXPECT_EQ(ops[0].icon->argb[2], 0xFFC80000u);
}
