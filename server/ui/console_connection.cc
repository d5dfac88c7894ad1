// The line block: WORD flags (0x2000, the receiver frees it), WORD format (CF_TEXT),
// DWORD time (seconds since 1970, little-endian), the header and the text, each
// ending in a zero byte; allocated with 12 bytes beside the two texts.
#include "ui/console_connection.h"

#include <stdlib.h>
#include <string.h>

#include "platform/dde.h"

namespace {

const char kClientClass[] = "zVkClassconslogwnd";
const char kConsoleClass[] = "zVkClassconsole";
const char kApplication[] = "wexoraconsole";
const char kTopic[] = "console_log";
constexpr WORD kReleaseFlag = 0x2000;

// A console that does not answer the initiate in this time costs the line, not
// the server: a live console answers from inside its window procedure at once.
constexpr UINT kInitiateTimeoutMs = 50;

// Set while a conversation starts: only the console's answer to the initiate names
// its window. A line's acknowledge arriving after a refusal (no console window known
// then) must not be taken for that answer, or its block would never be freed.
ConsoleConnection* initiating = nullptr;
// The console window the initiate went to: an answer must name that one, or lines
// would go to a window that never frees them (one of this very process, say).
HWND asked = nullptr;

ConsoleConnection* ConnectionOf(HWND hwnd) {
  return (ConsoleConnection*)GetWindowLongPtr(hwnd, 0);
}

LRESULT CALLBACK ClientWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ConsoleConnection* connection = ConnectionOf(hwnd);
  switch (message) {
    case WM_DDE_ACK:
      if (!connection) return 0;
      if (!connection->consoleWindow && initiating == connection) {
        if ((HWND)lParam == asked) connection->consoleWindow = (HWND)lParam;
      } else if (LOWORD(wParam) == 0) {
        // A refused line: its block comes back to us, and the conversation is over.
        GlobalFree((HGLOBAL)(UINT_PTR)HIWORD(wParam));
        connection->consoleWindow = nullptr;
      }
      return 0;
    case WM_DDE_TERMINATE:
      PostQuitMessage(0);
      return 0;
    case WM_CLOSE:
      if (connection && connection->consoleWindow)
        PostMessage(connection->consoleWindow, WM_DDE_TERMINATE, (WPARAM)hwnd, 0);
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProc(hwnd, message, wParam, lParam);
}

bool StartConversation(ConsoleConnection* connection) {
  HWND console = FindWindow(kConsoleClass, nullptr);
  if (!console) return false;
  connection->applicationAtom = GlobalAddAtom(kApplication);
  connection->itemAtom = GlobalAddAtom(kTopic);
  // The console answers with WM_DDE_ACK during this send.
  initiating = connection;
  asked = console;
  SendMessageTimeout(console, WM_DDE_INITIATE, (WPARAM)connection->clientWindow,
                     MAKELPARAM(connection->applicationAtom, connection->itemAtom),
                     SMTO_ABORTIFHUNG, kInitiateTimeoutMs, nullptr);
  initiating = nullptr;
  asked = nullptr;
  GlobalDeleteAtom(connection->applicationAtom);
  GlobalDeleteAtom(connection->itemAtom);
  return connection->consoleWindow != nullptr;
}

HGLOBAL MakeLineBlock(time_t time, const char* header, const char* text) {
  size_t headerLength = strlen(header);
  size_t textLength = strlen(text);
  HGLOBAL block =
      GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, headerLength + textLength + 12);
  BYTE* bytes = block ? (BYTE*)GlobalLock(block) : nullptr;
  if (!bytes) {
    if (block) GlobalFree(block);
    return nullptr;
  }
  WORD flags = kReleaseFlag;
  WORD format = CF_TEXT;
  uint32_t seconds = (uint32_t)time;
  BYTE stamp[4] = {(BYTE)seconds, (BYTE)(seconds >> 8), (BYTE)(seconds >> 16),
                   (BYTE)(seconds >> 24)};
  memcpy(bytes, &flags, 2);
  memcpy(bytes + 2, &format, 2);
  memcpy(bytes + 4, stamp, 4);
  memcpy(bytes + 8, header, headerLength + 1);
  memcpy(bytes + 9 + headerLength, text, textLength + 1);
  GlobalUnlock(block);
  return block;
}

}  // namespace

ConsoleConnection* OpenConsoleConnection(HWND ownerWindow) {
  ConsoleConnection* connection = (ConsoleConnection*)calloc(1, sizeof(ConsoleConnection));
  if (!connection) return nullptr;
  connection->ownerWindow = ownerWindow;
  connection->moduleInstance =
      ownerWindow ? (HINSTANCE)GetWindowLongPtr(ownerWindow, GWL_HINSTANCE) : nullptr;
  WNDCLASS wc{};
  if (!GetClassInfo(connection->moduleInstance, kClientClass, &wc)) {
    wc.lpfnWndProc = ClientWindowProc;
    wc.cbClsExtra = 2;
    wc.cbWndExtra = sizeof(LONG_PTR);  // the connection, in window word 0
    wc.hInstance = connection->moduleInstance;
    wc.lpszClassName = kClientClass;
    if (!RegisterClass(&wc)) {
      free(connection);
      return nullptr;
    }
  }
  connection->clientWindow = CreateWindow(kClientClass, nullptr, 0, 0, 0, 0, 0, nullptr, nullptr,
                                          connection->moduleInstance, connection);
  if (!connection->clientWindow) {
    free(connection);
    return nullptr;
  }
  SetWindowLongPtr(connection->clientWindow, 0, (LONG_PTR)connection);
  return connection;
}

int PostConsoleLine(ConsoleConnection* connection, time_t time, const char* header,
                    const char* text) {
  if (!connection) return 0;
  if (!connection->consoleWindow && !StartConversation(connection)) return 0;
  HGLOBAL block =
      MakeLineBlock(time ? time : ::time(nullptr), header ? header : "", text ? text : "");
  if (!block) return 0;
  if (!PostMessage(connection->consoleWindow, WM_DDE_POKE, (WPARAM)connection->clientWindow,
                   MAKELPARAM((WORD)(UINT_PTR)block, connection->itemAtom))) {
    GlobalFree(block);
    return 0;
  }
  return 1;
}

void CloseConsoleConnection(ConsoleConnection* connection) {
  if (!connection) return;
  if (connection->consoleWindow)
    PostMessage(connection->consoleWindow, WM_DDE_TERMINATE, (WPARAM)connection->clientWindow, 0);
  DestroyWindow(connection->clientWindow);
  UnregisterClass(kClientClass, connection->moduleInstance);  // fails while another one lives
  free(connection);
}
