// Dialog records by window handle.
#include "dialog/dialog_state.h"

#include <memory>
#include <unordered_map>

#include "win/window_table.h"

namespace plat::dialog {

namespace {

std::unordered_map<HWND, std::unique_ptr<DialogInfo>>& Infos() {
  static std::unordered_map<HWND, std::unique_ptr<DialogInfo>> infos;
  return infos;
}

bool shiftDown = false;

}  // namespace

DialogInfo* InfoOf(HWND dialog) {
  auto it = Infos().find(dialog);
  return it == Infos().end() ? nullptr : it->second.get();
}

DialogInfo* MakeInfo(HWND dialog) {
  auto& slot = Infos()[dialog];
  if (!slot) slot = std::make_unique<DialogInfo>();
  return slot.get();
}

void FreeInfo(HWND dialog) {
  auto it = Infos().find(dialog);
  if (it == Infos().end()) return;
  if (it->second->ownsFont) DeleteObject(it->second->font);
  Infos().erase(it);
}

HWND DialogOf(HWND hwnd) {
  for (plat::win::Window* w = plat::win::FindWindowRecord(hwnd); w;
       w = plat::win::FindWindowRecord(w->parent)) {
    if (InfoOf(w->handle)) return w->handle;
    if (!(w->style & WS_CHILD)) break;
  }
  return nullptr;
}

void SetDialogFocus(HWND control) {
  if (SendMessage(control, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
    SendMessage(control, EM_SETSEL, 0, -1);
  SetFocus(control);
}

void SetShiftDown(bool down) {
  shiftDown = down;
}

bool ShiftDown() {
  return shiftDown;
}

}  // namespace plat::dialog
