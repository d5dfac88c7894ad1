// The shared pieces of the windowing tests.
#include "tests/platform/gui_test_support.h"

namespace guitest {

std::function<bool(HWND, UINT, WPARAM, LPARAM, INT_PTR*)> onMessage;

std::vector<Notification> Notifications(HWND parent) {
  std::vector<Notification> result;
  for (const wintest::Seen& s : wintest::Log()) {
    if (s.hwnd == parent && s.message == WM_COMMAND)
      result.push_back(Notification{(int)(short)LOWORD(s.wParam), HIWORD(s.wParam)});
  }
  return result;
}

std::vector<wintest::Seen> Seen(HWND hwnd, UINT message) {
  std::vector<wintest::Seen> result;
  for (const wintest::Seen& s : wintest::Log()) {
    if (s.hwnd == hwnd && s.message == message) result.push_back(s);
  }
  return result;
}

INT_PTR CALLBACK RecordingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  wintest::Log().push_back(wintest::Seen{dialog, message, wParam, lParam});
  INT_PTR result = 0;
  if (onMessage && onMessage(dialog, message, wParam, lParam, &result)) return result;
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

void WhenIdle(std::function<void(HWND)> action) {
  Display().WhenDialogIdle(std::move(action));
}

plat::gui::HeadlessDisplay& Display() {
  return plat::gui::Headless();
}

}  // namespace guitest
