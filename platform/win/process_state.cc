// Per-process odds and ends of winbase: the last-error value and the tick count.
// The tick count is CLOCK_MONOTONIC in milliseconds, cut to 32 bits as Win32's wraps.
#include <errno.h>
#include <signal.h>
#include <stdio.h>
#include <time.h>

#include "platform/winbase.h"

namespace {
thread_local DWORD lastError = ERROR_SUCCESS;
}

DWORD GetLastError() {
  return lastError;
}
void SetLastError(DWORD error) {
  lastError = error;
}

DWORD GetTickCount() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  uint64_t ms = (uint64_t)now.tv_sec * 1000u + (uint64_t)now.tv_nsec / 1000000u;
  return (DWORD)ms;
}

void Sleep(DWORD milliseconds) {
  timespec wait{(time_t)(milliseconds / 1000), (long)(milliseconds % 1000) * 1000000L};
  while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
  }
}

// The tracer's pid in /proc/self/status: non-zero while a debugger is attached.
BOOL IsDebuggerPresent() {
  FILE* status = fopen("/proc/self/status", "r");
  if (!status) return FALSE;
  char line[128];
  long tracer = 0;
  while (fgets(line, sizeof line, status)) {
    if (sscanf(line, "TracerPid: %ld", &tracer) == 1) break;
  }
  fclose(status);
  return tracer != 0;
}

void DebugBreak() {
  raise(SIGTRAP);
}
