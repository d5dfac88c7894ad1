// The slave's timers: the watchdog (which also drives the keep-alive) and the
// transfer progress timer.
#pragma once

#include "platform/windef.h"

inline constexpr UINT_PTR kWatchdogTimer = 1111;
inline constexpr UINT kWatchdogPeriodMs = 3000;
inline constexpr UINT_PTR kProgressTimer = 999;
inline constexpr UINT kProgressPeriodMs = 1000;
inline constexpr int kWatchdogMissingLimit = 3;  // ticks without a controller survived
inline constexpr int kKeepAliveSeconds = 90;

void HandleTimer(UINT_PTR id);
void WatchdogTick();
