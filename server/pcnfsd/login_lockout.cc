// The lock-out table: one entry per address with the start of its minute and
// the failures counted in it. An entry whose minute is over counts as empty.
#include "pcnfsd/login_lockout.h"

namespace {

struct FailureEntry {
  uint32_t address;
  DWORD windowStart;
  uint32_t failures;  // 0: the entry is free
};

FailureEntry entries[kLockoutEntries];

BOOL WindowOver(const FailureEntry* entry, DWORD now) {
  return (DWORD)(now - entry->windowStart) >= kLockoutWindowMs;
}

FailureEntry* Find(uint32_t address, DWORD now) {
  for (FailureEntry& entry : entries) {
    if (entry.failures == 0 || entry.address != address) continue;
    if (!WindowOver(&entry, now)) return &entry;
    entry.failures = 0;
  }
  return nullptr;
}

FailureEntry* MakeRoom(DWORD now) {
  FailureEntry* oldest = &entries[0];
  for (FailureEntry& entry : entries) {
    if (entry.failures == 0 || WindowOver(&entry, now)) return &entry;
    if ((DWORD)(now - entry.windowStart) > (DWORD)(now - oldest->windowStart)) oldest = &entry;
  }
  return oldest;
}

}  // namespace

BOOL LoginLockedOut(uint32_t address, DWORD now) {
  const FailureEntry* entry = Find(address, now);
  return entry && entry->failures >= kLockoutFailures;
}

BOOL CountLoginFailure(uint32_t address, DWORD now) {
  FailureEntry* entry = Find(address, now);
  if (!entry) {
    entry = MakeRoom(now);
    *entry = {address, now, 0};
  }
  entry->failures++;
  return entry->failures == kLockoutFailures;
}

void ClearLoginFailures() {
  for (FailureEntry& entry : entries)
    entry.failures = 0;
}
