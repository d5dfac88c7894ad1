// Each line goes out in one write, so lines of the server and of other writers
// to the same terminal never interleave mid-line.
#include "ui/log_echo.h"

#include <stdio.h>
#include <string.h>

namespace {
BOOL echo = FALSE;
}

void SetLogEcho(BOOL on) {
  echo = on;
}

BOOL LogEchoOn() {
  return echo;
}

void EchoLogLine(const char* stamp, const char* text) {
  if (!echo) return;
  size_t length = strlen(text);
  if (length > 0 && text[length - 1] == '\r') length--;
  char line[512];
  int used = snprintf(line, sizeof line, "%s%.*s\n", stamp, (int)length, text);
  if (used < 0) return;
  if ((size_t)used >= sizeof line) {  // cut, but still one line
    used = sizeof line - 1;
    line[used - 1] = '\n';
  }
  fwrite(line, 1, (size_t)used, stderr);
}
