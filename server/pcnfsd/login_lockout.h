// Failed PCNFSD logins per client address. Ten failures within a minute lock
// the address out until that minute ends, so AUTH can't serve as a password
// oracle at datagram speed. The table is small and bounded; when it is full
// the entry whose minute started first makes room.
#pragma once

#include <cstdint>

#include "platform/windef.h"

inline constexpr int kLockoutFailures = 10;
inline constexpr DWORD kLockoutWindowMs = 60000;
inline constexpr int kLockoutEntries = 64;

// TRUE while `address` is locked out at `now` (milliseconds, wrapping).
BOOL LoginLockedOut(uint32_t address, DWORD now);
// Counts a failure; TRUE exactly when this failure starts a lock-out.
BOOL CountLoginFailure(uint32_t address, DWORD now);
void ClearLoginFailures();
