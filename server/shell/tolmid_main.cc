// The program entry of the server: the message queue, start-up, the message loop
// (keystrokes are not translated) and shut-down.
#include "platform/windows.h"
#include "shell/server_startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  int size = 100;
  while (!SetMessageQueue(size)) {
    if (size == 10) {
      MessageBox(GetActiveWindow(), "Unable to create message queue!", "Wexora",
                 MB_OK | MB_ICONERROR);
      return 0;
    }
    size -= 10;
  }
  if (!InitServer(instance)) {
    ShutdownServer();
    return 0;
  }
  MSG msg;
  while (GetMessage(&msg, nullptr, 0, 0))
    DispatchMessage(&msg);
  ShutdownServer();
  return (int)msg.wParam;
}
