// The about box: the program's name, version and legal notice from its version
// information, read afresh each time it opens, and its icon.
#pragma once

#include "platform/windows.h"

void ShowAboutBox(HWND owner, int iconId);
