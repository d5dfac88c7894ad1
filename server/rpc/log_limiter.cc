// Fixed one-second windows; tick arithmetic is unsigned so the 49.7-day wrap of
// GetTickCount only ever shortens one window.
#include "rpc/log_limiter.h"

BOOL LogLimiterAdmit(LogLimiter* limiter, DWORD now, uint32_t* leftOut) {
  if (!limiter->started || (DWORD)(now - limiter->windowStart) >= kLogWindowMs) {
    limiter->started = TRUE;
    limiter->windowStart = now;
    limiter->admitted = 0;
  }
  if (limiter->admitted >= kLogBurst) {
    limiter->suppressed++;
    return FALSE;
  }
  limiter->admitted++;
  *leftOut = limiter->suppressed;
  limiter->suppressed = 0;
  return TRUE;
}
