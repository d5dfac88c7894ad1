// Modal dialogs of the operator interface open centred over the main window, or
// on the screen when the main window is minimised or the dialog would leave it.
#pragma once

#include "platform/windows.h"

void CentreDialog(HWND dialog, HWND owner);
