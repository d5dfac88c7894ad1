// Layout: the first pane starts at 9b; a pane is its width + b wide and the next
// starts 10b after the end of its width. A pane that would pass the right edge
// minus 9b is narrowed and ends the layout; width left over goes to pane 0.
#include "ui/status_bar.h"

#include <stdio.h>
#include <string.h>

#include "shell/service_control.h"

namespace {

void Fill(HDC dc, int left, int top, int right, int bottom, int colour) {
  if (right <= left || bottom <= top) return;
  RECT r{left, top, right, bottom};
  FillRect(dc, &r, GetSysColorBrush(colour));
}

void LayOut(StatusBar* bar) {
  int b = bar->b;
  int limit = bar->rect.right - 9 * b;
  int left = 9 * b;
  int last = -1;
  for (int i = 0; i < bar->paneCount; ++i)
    bar->panes[i].laidOut = FALSE;
  for (int i = 0; i < bar->paneCount; ++i) {
    StatusPane& pane = bar->panes[i];
    pane.left = left;
    pane.widthPixels = pane.widthChars * bar->averageCharWidth;
    if (pane.widthPixels < pane.textPixels) pane.widthPixels = pane.textPixels;
    pane.laidOut = TRUE;
    last = i;
    if (left + pane.widthPixels + b > limit) {
      pane.widthPixels = limit - left - b > 0 ? limit - left - b : 0;
      return;  // no room for the panes after it
    }
    left += pane.widthPixels + 10 * b;
  }
  if (last < 0) return;
  int spare = limit - (bar->panes[last].left + bar->panes[last].widthPixels + b);
  for (int i = 0; i < bar->paneCount && spare > 0; ++i) {
    if (bar->panes[i].fixedWidth) continue;
    bar->panes[i].widthPixels += spare;
    for (int j = i + 1; j < bar->paneCount; ++j)
      bar->panes[j].left += spare;
    break;
  }
}

// A sunken pane with its text, clipped to and filling its inside.
void PaintPane(HDC dc, const StatusBar* bar, const StatusPane& pane) {
  int b = bar->b;
  int left = pane.left, right = pane.left + pane.widthPixels + b;
  int top = bar->rect.top + 3 * b, bottom = bar->rect.bottom - 2 * b;
  Fill(dc, left, top, right, top + b, COLOR_BTNSHADOW);
  Fill(dc, left, top, left + b, bottom, COLOR_BTNSHADOW);
  Fill(dc, left, bottom - b, right, bottom, COLOR_BTNHIGHLIGHT);
  Fill(dc, right - b, top, right, bottom, COLOR_BTNHIGHLIGHT);
  RECT inside{left + b, top + b, right - b, bottom - b};
  if (inside.right <= inside.left || inside.bottom <= inside.top) return;
  HGDIOBJ old = SelectObject(dc, bar->font);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  ExtTextOut(dc, inside.left + 3 * b, inside.top, ETO_CLIPPED | ETO_OPAQUE, &inside, pane.text,
             (UINT)strlen(pane.text), nullptr);
  SelectObject(dc, old);
}

// A text starts 3b inside the pane's inner edge, which is b inside the pane;
// as much room after it keeps its last letter clear of the edge.
int PaneWidthFor(HDC dc, const StatusBar* bar, const char* text) {
  SIZE size{};
  GetTextExtentPoint32(dc, text, (int)strlen(text), &size);
  return size.cx + 7 * bar->b;
}

}  // namespace

BOOL InitStatusBar(ServerRecord* server) {
  StatusBar* bar = &server->statusBar;
  bar->b = GetSystemMetrics(SM_CYBORDER);
  HDC dc = GetDC(nullptr);
  LOGFONT font{};
  font.lfHeight = -MulDiv(10, GetDeviceCaps(dc, LOGPIXELSY), 72);
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = ANSI_CHARSET;
  font.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
  snprintf(font.lfFaceName, sizeof font.lfFaceName, "%s", "Helv");
  bar->font = CreateFontIndirect(&font);
  HGDIOBJ old = SelectObject(dc, bar->font ? (HGDIOBJ)bar->font : GetStockObject(SYSTEM_FONT));
  TEXTMETRIC metrics{};
  GetTextMetrics(dc, &metrics);
  bar->height = 8 * bar->b + metrics.tmHeight + metrics.tmExternalLeading;
  bar->averageCharWidth = metrics.tmAveCharWidth;
  bar->paneCount = 2;
  bar->panes[0] = StatusPane{40, server->pane0Text, FALSE, 0, 0, 0, FALSE};
  bar->panes[1] = StatusPane{20, server->pane1Text, FALSE, 0, 0, 0, FALSE};
  snprintf(server->pane1Text, sizeof server->pane1Text, "%s", "Idle");
  StatusPane& state = bar->panes[1];
  state.textPixels = PaneWidthFor(dc, bar, server->pane1Text);
  for (int i = 0; const char* text = ServiceStateText(i); ++i) {
    int width = PaneWidthFor(dc, bar, text);
    if (width > state.textPixels) state.textPixels = width;
  }
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return bar->font != nullptr;
}

void FreeStatusBar(ServerRecord* server) {
  if (server->statusBar.font) DeleteObject(server->statusBar.font);
  server->statusBar.font = nullptr;
}

void PlaceStatusBar(ServerRecord* server, int clientWidth, int clientHeight) {
  StatusBar* bar = &server->statusBar;
  bar->rect = RECT{0, clientHeight - bar->height, clientWidth, clientHeight};
  LayOut(bar);
}

void PaintStatusBar(ServerRecord* server, HDC dc) {
  if (IsIconic(server->mainWindow)) return;
  StatusBar* bar = &server->statusBar;
  const RECT& r = bar->rect;
  int b = bar->b;
  Fill(dc, r.left, r.top, r.right, r.top + b, COLOR_WINDOWTEXT);
  Fill(dc, r.left, r.top + b, r.right, r.top + 2 * b, COLOR_BTNHIGHLIGHT);
  Fill(dc, r.left, r.top + 2 * b, r.right, r.top + 3 * b, COLOR_BTNFACE);
  Fill(dc, r.left, r.bottom - 2 * b, r.right, r.bottom, COLOR_BTNFACE);
  Fill(dc, r.left, r.top + 3 * b, r.left + 8 * b, r.bottom - 2 * b, COLOR_BTNFACE);
  Fill(dc, r.right - 9 * b, r.top + 3 * b, r.right, r.bottom - 2 * b, COLOR_BTNFACE);
  // What lies between the margins and the panes, and between two panes.
  int gapLeft = r.left + 8 * b;
  for (int i = 0; i < bar->paneCount && bar->panes[i].laidOut; ++i) {
    const StatusPane& pane = bar->panes[i];
    Fill(dc, gapLeft, r.top + 3 * b, pane.left, r.bottom - 2 * b, COLOR_BTNFACE);
    PaintPane(dc, bar, pane);
    gapLeft = pane.left + pane.widthPixels + b;
  }
  Fill(dc, gapLeft, r.top + 3 * b, r.right - 9 * b, r.bottom - 2 * b, COLOR_BTNFACE);
}

void SetStatusText(int pane, const char* text, BOOL redraw) {
  if (!Server || pane < 0 || pane >= Server->statusBar.paneCount) return;
  StatusPane& p = Server->statusBar.panes[pane];
  if (text) {
    size_t size = pane == 0 ? sizeof Server->pane0Text : sizeof Server->pane1Text;
    snprintf(p.text, size, "%s", text);
  }
  HWND hwnd = Server->mainWindow;
  if (!redraw || !hwnd || !IsWindow(hwnd) || IsIconic(hwnd) || !p.laidOut) return;
  HDC dc = GetDC(hwnd);
  PaintPane(dc, &Server->statusBar, p);
  ReleaseDC(hwnd, dc);
}
