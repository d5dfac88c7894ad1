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

FailureEntry* FreeEntry(DWORD now) {
  for (FailureEntry& entry : entries)
    if (entry.failures == 0 || WindowOver(&entry, now)) return &entry;
  return nullptr;
}

}  // namespace

BOOL LoginLockedOut(uint32_t address, DWORD now) {
  if (const FailureEntry* entry = Find(address, now)) return entry->failures >= kLockoutFailures;
  return FreeEntry(now) == nullptr;
}

LockoutStart CountLoginFailure(uint32_t address, DWORD now) {
  FailureEntry* entry = Find(address, now);
  BOOL added = !entry;
  if (added) {
    entry = FreeEntry(now);
    if (!entry) return LOCKOUT_NONE;
    *entry = {address, now, 0};
  }
  entry->failures++;
  if (entry->failures == kLockoutFailures) return LOCKOUT_OF_ADDRESS;
  return added && !FreeEntry(now) ? LOCKOUT_OF_ALL_OTHERS : LOCKOUT_NONE;
}

void ClearLoginFailures() {
  for (FailureEntry& entry : entries)
    entry.failures = 0;
}
