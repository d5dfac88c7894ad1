// The slave's process: its window, the channels, the watchdog (unless the command
// line is exactly "-qzvdebug") and the message loop. Networking waits for the
// controller's request 500.
#include <string.h>

#include "hopwire/session_state.h"
#include "platform/windows.h"
#include "shell/channels.h"
#include "shell/slave_window.h"
#include "shell/timers.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int) {
  if (!previous && !RegisterSlaveClass(instance)) return 0;
  session.window = CreateSlaveWindow(instance);
  if (!session.window) return 0;
  OpenChannels();
  if (strcmp(commandLine ? commandLine : "", "-qzvdebug") != 0)
    SetTimer(session.window, kWatchdogTimer, kWatchdogPeriodMs, nullptr);
  MSG msg;
  while (GetMessage(&msg, nullptr, 0, 0)) {
    TranslateMessage(&msg);
    DispatchMessage(&msg);
  }
  // Withdraws the window from the desktop; the session is already ended.
  if (IsWindow(session.window)) DestroyWindow(session.window);
  session.window = nullptr;
  CloseChannels();
  return (int)msg.wParam;
}
