// Failed PCNFSD logins per client address. Ten failures within a minute lock
// the address out until that minute ends, so AUTH can't serve as a password
// oracle at datagram speed. The table is bounded, and an entry leaves it only
// when its minute is over: failures sent from other (forged) addresses can't
// push a locked address out. While every entry is in its minute, addresses the
// table can't count are refused too; it is large enough that ordinary traffic
// never fills it, so only a flood of forged failures costs others their logins.
#pragma once

#include <cstdint>

#include "platform/windef.h"

inline constexpr int kLockoutFailures = 10;
inline constexpr DWORD kLockoutWindowMs = 60000;
inline constexpr int kLockoutEntries = 1024;

enum LockoutStart {
  LOCKOUT_NONE,
  LOCKOUT_OF_ADDRESS,     // this failure locked its address out
  LOCKOUT_OF_ALL_OTHERS,  // it took the table's last place
};

// TRUE while `address` is locked out at `now` (milliseconds, wrapping).
BOOL LoginLockedOut(uint32_t address, DWORD now);
// Counts a failure; says which lock-out, if any, it starts.
LockoutStart CountLoginFailure(uint32_t address, DWORD now);
void ClearLoginFailures();
