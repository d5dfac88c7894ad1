// The start-up and shut-down of the server around its message loop.
#pragma once

#include "platform/windows.h"

// True when the message loop is to run.
BOOL InitServer(HINSTANCE instance);
// Safe in any state: after a failed start-up, and a second time.
void ShutdownServer();
