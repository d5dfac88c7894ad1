// The program entry of the server: the message queue, start-up, the message loop
// (keystrokes are not translated) and shut-down. Without a display the server
// log is echoed to standard error unless --quiet or TOLMID_QUIET asks otherwise;
// a start-up that fails once the settings are read ends with status 1.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "platform/windows.h"
#include "shell/server_startup.h"
#include "ui/log_echo.h"

namespace {

const char kUsage[] = "usage: tolmid [--quiet]\n";

enum { EXIT_FAILED_START = 1, EXIT_USAGE = 2 };

bool QuietByEnvironment() {
  const char* value = getenv("TOLMID_QUIET");
  return value && *value && strcmp(value, "0") != 0;
}

// FALSE with *status set when the program is to end at once.
BOOL ReadCommandLine(LPSTR commandLine, BOOL* quiet, int* status) {
  *quiet = QuietByEnvironment();
  for (char* word = strtok(commandLine, " "); word; word = strtok(nullptr, " ")) {
    if (strcmp(word, "--quiet") == 0) {
      *quiet = TRUE;
    } else if (strcmp(word, "--help") == 0) {
      fputs(kUsage, stdout);
      *status = 0;
      return FALSE;
    } else {
      fprintf(stderr, "tolmid: unknown argument %s\n%s", word, kUsage);
      *status = EXIT_USAGE;
      return FALSE;
    }
  }
  return TRUE;
}

// Not a log line, so --quiet leaves it: it is all a second start has to say.
int EndOfStartup() {
  switch (LastStartupOutcome()) {
    case STARTUP_ANOTHER_SERVER:
      fputs("tolmid: a server is already running; its window was brought to the front\n", stderr);
      return 0;
    case STARTUP_FAILED:
      return EXIT_FAILED_START;
    case STARTUP_RUNNING:
    case STARTUP_ENDED:
      break;
  }
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  BOOL quiet = FALSE;
  int status = 0;
  if (!ReadCommandLine(commandLine, &quiet, &status)) return status;
  SetLogEcho(!quiet && GetSystemMetrics(SM_CMONITORS) == 0);
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
    return EndOfStartup();
  }
  MSG msg;
  while (GetMessage(&msg, nullptr, 0, 0))
    DispatchMessage(&msg);
  ShutdownServer();
  return (int)msg.wParam;
}
