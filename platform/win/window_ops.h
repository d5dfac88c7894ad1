// Window operations the rest of the layer (backends, dialogs, controls) needs
// beyond the Win32 calls.
#pragma once

#include "platform/windef.h"

namespace plat::win {

// A person asked to restore a minimised window: WM_QUERYOPEN decides.
void UserRestore(HWND hwnd);
// A person asked to close a window (its close box): WM_SYSCOMMAND SC_CLOSE.
void UserClose(HWND hwnd);
// The window's client area in screen coordinates.
RECT ClientRectOnScreen(HWND hwnd);
// The window's client rectangle (origin 0, 0) as its style and size make it.
RECT ClientRectOf(HWND hwnd);
// The focus leaves a window that is going away, without messages to it.
void DropFocus(HWND hwnd);

}  // namespace plat::win
