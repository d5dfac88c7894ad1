// The state is made once per process; a registry keyed by process would only ever
// hold this one entry, so the state is kept directly.
#include "rpc/winsock_state.h"

#include <stdio.h>
#include <stdlib.h>

#include "platform/winsock.h"

namespace {

WinSockState* state = nullptr;

void Fail(WinSockState* failed, const char* text) {
  if (failed) {
    PostConsoleLine(failed->console, 0, "[winsock]", text);
    CloseConsoleConnection(failed->console);
    free(failed);
  }
  MessageBox(GetActiveWindow(), text, "Winsock", MB_ICONEXCLAMATION | MB_OK);
}

}  // namespace

WinSockState* CurrentWinSockState() {
  return state;
}

WinSockState* StartWinSock(HWND ownerWindow) {
  WinSockState* made = (WinSockState*)calloc(1, sizeof(WinSockState));
  if (!made) {
    Fail(nullptr, "No memory to start WinSock.");
    return nullptr;
  }
  made->process = (HANDLE)(UINT_PTR)GetCurrentThreadId();
  made->ownerWindow = ownerWindow;
  made->console = OpenConsoleConnection(ownerWindow);

  WSADATA data;
  int error = WSAStartup(MAKEWORD(1, 1), &data);
  char text[128];
  if (error != 0) {
    snprintf(text, sizeof text, "WinSock could not be started (error %d).", error);
    Fail(made, text);
    return nullptr;
  }
  BYTE major = LOBYTE(data.wVersion);
  BYTE minor = HIBYTE(data.wVersion);
  if (major < 1 || (major == 1 && minor < 1)) {
    WSACleanup();
    snprintf(text, sizeof text, "WinSock version %u.%u is too old; 1.1 or later is needed.", major,
             minor);
    Fail(made, text);
    return nullptr;
  }
  state = made;
  WSASetBlockingHook((FARPROC)BlockingHook);
  return made;
}

// Runs while a blocking sockets call waits: one message at a time. A request to
// close or quit gives up the blocking call instead of being handled.
BOOL CALLBACK BlockingHook() {
  MSG msg;
  if (!PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) return FALSE;
  bool closing = msg.message == WM_QUIT || msg.message == WM_CLOSE ||
                 (msg.message == WM_SYSCOMMAND && (msg.wParam & 0xFFF0) == SC_CLOSE);
  if (closing && WSAIsBlocking() && state) {
    WSACancelBlockingCall();
    state->cancelled = 1;
    return TRUE;
  }
  TranslateMessage(&msg);
  DispatchMessage(&msg);
  return TRUE;
}
