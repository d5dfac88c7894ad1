// A person's mouse on list boxes and combo boxes, which has no message form
// here: the control procedures would need item geometry to read clicks from
// coordinates. The person API (gui/person.h) calls these; each makes the
// focus change and notifications Win32 makes for the same gesture.
#pragma once

#include "platform/winuser.h"

namespace plat::controls {

// keys: MK_SHIFT, MK_CONTROL (they matter with LBS_EXTENDEDSEL).
bool UserClickListItem(HWND list, int index, UINT keys, bool doubleClick);
bool UserDropDown(HWND combo, bool open);
bool UserPickComboItem(HWND combo, int index);

}  // namespace plat::controls
