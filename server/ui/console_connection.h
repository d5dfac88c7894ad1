// The conversation with the console program of the product family, which shows
// log lines of several programs in one window. Lines travel as DDE pokes of a
// shareable memory block; the conversation starts with the first line and is
// forgotten when the console refuses one, so the next line starts it again.
#pragma once

#include <ctime>

#include "platform/windows.h"

struct ConsoleConnection {
  HINSTANCE moduleInstance;
  HWND ownerWindow;
  HWND clientWindow;   // hidden, class "zVkClassconslogwnd"; window word 0 holds the connection
  HWND consoleWindow;  // none until the console answers
  ATOM applicationAtom;
  ATOM itemAtom;
};

// None when the hidden client window can't be made.
ConsoleConnection* OpenConsoleConnection(HWND ownerWindow);
// time 0 means now; header and text may be absent. Non-zero when the line was posted.
int PostConsoleLine(ConsoleConnection* connection, time_t time, const char* header,
                    const char* text);
void CloseConsoleConnection(ConsoleConnection* connection);
