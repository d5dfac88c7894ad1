// File procedures for the handle table that count every call and can make
// the k-th write fail or land only partly. After that fault either every
// later write and sync fails too (the process died there) or they work again
// (a passing error the table must recover from without a restart).
#pragma once

#include <cstdint>
#include <vector>

#include "nfs/table_file_ops.h"

enum FaultAfter { FAULT_CRASH, FAULT_PASSING };

struct FileFaults {
  int faultAt;    // 1-based number of the write to spoil; 0: none
  int keepBytes;  // bytes of that write that still land (0: none)
  FaultAfter after;
  int writes;  // counters since the last reset
  int reads;
  int commits;
  std::vector<uint32_t> writeSizes;
};

extern FileFaults fileFaults;
extern const TableFileOps kFaultyFileOps;
// The platform's procedures with a sync that does nothing: for filling big
// tables quickly where durability is not what is measured.
extern const TableFileOps kNoSyncFileOps;

void ResetFileFaults(int faultAt = 0, int keepBytes = 0, FaultAfter after = FAULT_CRASH);
