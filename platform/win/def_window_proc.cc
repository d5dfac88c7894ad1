// The default handling of messages a window procedure passes on.
#include <string.h>

#include <algorithm>

#include "gui/display.h"
#include "platform/winuser.h"
#include "win/window_ops.h"
#include "win/window_table.h"

LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  plat::win::Window* w = plat::win::FindWindowRecord(hwnd);
  if (!w) return 0;
  switch (message) {
    case WM_NCCREATE:
      return TRUE;
    case WM_SETTEXT:
      w->text = lParam && !IS_INTRESOURCE(lParam) ? (const char*)lParam : "";
      plat::gui::CurrentDisplay().WindowChanged(hwnd);
      return TRUE;
    case WM_GETTEXT: {
      if (wParam == 0 || !lParam) return 0;
      size_t n = std::min(w->text.size(), (size_t)wParam - 1);
      memcpy((char*)lParam, w->text.data(), n);
      ((char*)lParam)[n] = 0;
      return (LRESULT)n;
    }
    case WM_GETTEXTLENGTH:
      return (LRESULT)w->text.size();
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_CLOSE:
          SendMessage(hwnd, WM_CLOSE, 0, 0);
          break;
        case SC_MINIMIZE:
          ShowWindow(hwnd, SW_MINIMIZE);
          break;
        case SC_RESTORE:
          plat::win::UserRestore(hwnd);
          break;
      }
      return 0;
    case WM_QUERYOPEN:
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND: {
      // Win32 fills with the class brush (which may be a colour index + 1).
      HBRUSH brush = w->cls->wc.hbrBackground;
      if (!brush) return 0;
      RECT client = plat::win::ClientRectOf(hwnd);
      FillRect((HDC)wParam, &client, brush);
      return 1;
    }
  }
  return 0;
}
