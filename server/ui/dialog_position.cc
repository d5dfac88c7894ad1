#include "ui/dialog_position.h"

void CentreDialog(HWND dialog, HWND owner) {
  RECT box, area;
  GetWindowRect(dialog, &box);
  int width = box.right - box.left;
  int height = box.bottom - box.top;
  RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (owner && !IsIconic(owner)) {
    GetWindowRect(owner, &area);
  } else {
    area = screen;
  }
  int x = area.left + (area.right - area.left - width) / 2;
  int y = area.top + (area.bottom - area.top - height) / 2;
  if (x < 0 || y < 0 || x + width > screen.right || y + height > screen.bottom) {
    x = (screen.right - width) / 2;
    y = (screen.bottom - height) / 2;
  }
  SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}
