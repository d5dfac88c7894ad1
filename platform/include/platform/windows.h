// The Win32 surface of the platform layer: what the programs include.
#pragma once

#include "platform/commdlg.h"
#include "platform/winbase.h"
#include "platform/windef.h"
#include "platform/wingdi.h"
#include "platform/winuser.h"
#include "platform/winver.h"
