// WinSock for the server: started once, by the first endpoint that opens, with the
// version check and a blocking hook that gives up a blocking call when the program
// is asked to close. Failures are told to the console program and the operator.
#pragma once

#include "platform/windows.h"
#include "ui/console_connection.h"

struct WinSockState {
  HANDLE process;
  HWND ownerWindow;
  ConsoleConnection* console;
  uint32_t cancelled;  // 1 once the blocking hook cancelled a blocking call
};

WinSockState* StartWinSock(HWND ownerWindow);
WinSockState* CurrentWinSockState();
BOOL CALLBACK BlockingHook();
