#include "tests/platform/win_test_support.h"

#include <sys/resource.h>

namespace wintest {

std::vector<Seen>& Log() {
  static std::vector<Seen> log;
  return log;
}

std::vector<UINT> Messages(HWND hwnd) {
  std::vector<UINT> result;
  for (const Seen& s : Log()) {
    if (s.hwnd == hwnd) result.push_back(s.message);
  }
  return result;
}

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Log().push_back(Seen{hwnd, message, wParam, lParam});
  return DefWindowProc(hwnd, message, wParam, lParam);
}

void RegisterRecorder(int extra) {
  WNDCLASS wc{};
  wc.lpfnWndProc = RecordingProc;
  wc.cbWndExtra = extra;
  wc.lpszClassName = "Recorder";
  RegisterClass(&wc);
}

HWND MakeWindow(DWORD style, HWND parent, int id) {
  RegisterRecorder();
  return CreateWindow("Recorder", "recorder", style, 10, 20, 300, 200, parent, (HMENU)(UINT_PTR)id,
                      nullptr, nullptr);
}

void Drain() {
  MSG msg;
  while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
    DispatchMessage(&msg);
}

double CpuMilliseconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec * 1000.0 + usage.ru_utime.tv_usec / 1000.0 +
         usage.ru_stime.tv_sec * 1000.0 + usage.ru_stime.tv_usec / 1000.0;
}

}  // namespace wintest
