// Per-process odds and ends of winbase: the last-error value and the tick count.
// The tick count is CLOCK_MONOTONIC in milliseconds, cut to 32 bits as Win32's wraps.
#include <errno.h>
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

// One program image per process: its instance handle is a fixed non-null value.
HMODULE GetModuleHandle(LPCSTR moduleName) {
  return moduleName ? nullptr : (HMODULE)0x400000;
}
