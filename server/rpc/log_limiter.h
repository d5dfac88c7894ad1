// Rate limit for the lines a flood of bad datagrams would produce: at most
// kLogBurst lines per kLogWindowMs per service; the number left out is handed
// to the next line admitted, so the operator still learns the size of a flood.
#pragma once

#include <cstdint>

#include "platform/windef.h"

inline constexpr uint32_t kLogBurst = 5;
inline constexpr DWORD kLogWindowMs = 1000;

struct LogLimiter {
  DWORD windowStart;
  uint32_t admitted;
  uint32_t suppressed;
  BOOL started;
};

// TRUE when a line may be written at tick `now`; *leftOut then receives the
// number of lines refused since the last admitted one.
BOOL LogLimiterAdmit(LogLimiter* limiter, DWORD now, uint32_t* leftOut);
