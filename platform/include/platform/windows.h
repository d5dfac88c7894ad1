// The Win32 surface of the platform layer: what the programs include.
#pragma once

#include "platform/winbase.h"
#include "platform/windef.h"
#include "platform/winuser.h"
