// WM_COMMAND's low word says who sent it: 546 the controller, 550 the slave itself;
// anything else is nobody's business here.
#include "shell/slave_window.h"

#include "hopwire/session_state.h"
#include "shell/report.h"
#include "shell/requests.h"
#include "shell/slave_end.h"
#include "shell/timers.h"

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      EndSlave();
      return 0;
    case WM_QUERYOPEN:
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == kControllerMessage) ReceiveRequest(HIWORD(wParam), lParam);
      if (LOWORD(wParam) == kSelfRequest) CarryOutRequest(HIWORD(wParam), lParam);
      return 0;
    case WM_TIMER:
      HandleTimer(wParam);
      return 0;
  }
  return DefWindowProc(hwnd, message, wParam, lParam);
}

bool RegisterSlaveClass(HINSTANCE instance) {
  WNDCLASS wc{};
  wc.lpfnWndProc = MainWndProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIcon(instance, MAKEINTRESOURCE(kSlaveIcon));
  wc.hCursor = nullptr;
  wc.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
  wc.lpszMenuName = nullptr;
  wc.lpszClassName = kSlaveClass;
  return RegisterClass(&wc) != 0;
}

HWND CreateSlaveWindow(HINSTANCE instance) {
  HWND hwnd =
      CreateWindow(kSlaveClass, kSlaveClass, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                   CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
  if (!hwnd) return nullptr;
  ShowWindow(hwnd, SW_HIDE);
  UpdateWindow(hwnd);
  return hwnd;
}
