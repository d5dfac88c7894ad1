// The start-up and shut-down of the server around its message loop.
#pragma once

#include "platform/windows.h"

// True when the message loop is to run.
BOOL InitServer(HINSTANCE instance);

// How the last InitServer ended, for the exit status: the ends before the
// settings are read (and a missing window) are quiet; a failure of the handle
// table, the exports or a service is not.
enum StartupOutcome { STARTUP_RUNNING, STARTUP_ENDED, STARTUP_ANOTHER_SERVER, STARTUP_FAILED };
StartupOutcome LastStartupOutcome();
// Safe in any state: after a failed start-up, and a second time.
void ShutdownServer();
