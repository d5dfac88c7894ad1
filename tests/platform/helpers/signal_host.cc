// A windowed program for the termination tests: prints "ready" once its window
// exists, then runs its message loop; ends with 7 when its window is destroyed.
#include <stdio.h>
#include <string.h>

#include "platform/windows.h"

static LRESULT CALLBACK HostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) PostQuitMessage(7);
  return DefWindowProc(hwnd, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  WNDCLASS wc{};
  wc.lpfnWndProc = HostProc;
  wc.hInstance = instance;
  wc.lpszClassName = "SignalHost";
  if (!RegisterClass(&wc)) return 1;
  DWORD style = strcmp(commandLine, "captioned") == 0 ? WS_OVERLAPPEDWINDOW : 0;
  if (!CreateWindow("SignalHost", "", style, 0, 0, 100, 100, nullptr, nullptr, instance, nullptr))
    return 2;
  printf("ready\n");
  fflush(stdout);
  MSG msg;
  while (GetMessage(&msg, nullptr, 0, 0))
    DispatchMessage(&msg);
  return (int)msg.wParam;
}
