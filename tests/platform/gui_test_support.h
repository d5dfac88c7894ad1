// Pieces the windowing tests share: the notifications a parent received, a
// dialog procedure that records what it gets and ends on OK or Cancel, and a
// clean headless display per test.
#pragma once

#include <functional>
#include <vector>

#include "gui/headless_display.h"
#include "tests/platform/win_test_support.h"

namespace guitest {

struct Notification {
  int id;
  WORD code;
  bool operator==(const Notification&) const = default;
};

// WM_COMMAND messages `parent` got since the log was cleared, as (id, code).
std::vector<Notification> Notifications(HWND parent);
// The wParam and lParam of every `message` that hwnd got.
std::vector<wintest::Seen> Seen(HWND hwnd, UINT message);

// Records every message into wintest::Log(); on WM_COMMAND from IDOK or
// IDCANCEL ends the dialog with that id. onMessage, when set, is asked first
// and may answer (returning true with the value in *result).
extern std::function<bool(HWND, UINT, WPARAM, LPARAM, INT_PTR*)> onMessage;
INT_PTR CALLBACK RecordingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// What the next idle moment of a modal dialog does.
void WhenIdle(std::function<void(HWND dialog)> action);

plat::gui::HeadlessDisplay& Display();

}  // namespace guitest
