// Fault-injecting and counting file procedures (see table_file_faults.h).
#include "support/table_file_faults.h"

#include "platform/io.h"

FileFaults fileFaults;

namespace {

BOOL Crashed() {
  return fileFaults.faultAt != 0 && fileFaults.after == FAULT_CRASH &&
         fileFaults.writes >= fileFaults.faultAt;
}

int CountedRead(int fd, void* buffer, unsigned count) {
  fileFaults.reads++;
  return _read(fd, buffer, count);
}

int FaultyWrite(int fd, const void* buffer, unsigned count) {
  if (Crashed()) return -1;
  fileFaults.writes++;
  fileFaults.writeSizes.push_back(count);
  if (fileFaults.writes != fileFaults.faultAt) return _write(fd, buffer, count);
  if (fileFaults.keepBytes == 0) return -1;
  unsigned keep = (unsigned)fileFaults.keepBytes < count ? (unsigned)fileFaults.keepBytes : count;
  return _write(fd, buffer, keep) == (int)keep && keep == count ? (int)count : (int)keep;
}

int FaultyCommit(int fd) {
  if (Crashed()) return -1;
  fileFaults.commits++;
  return _commit(fd);
}

int CountedWrite(int fd, const void* buffer, unsigned count) {
  fileFaults.writes++;
  return _write(fd, buffer, count);
}

int NoSync(int) {
  fileFaults.commits++;
  return 0;
}

}  // namespace

const TableFileOps kFaultyFileOps = {CountedRead, FaultyWrite, _lseek, FaultyCommit};
const TableFileOps kNoSyncFileOps = {CountedRead, CountedWrite, _lseek, NoSync};

void ResetFileFaults(int faultAt, int keepBytes, FaultAfter after) {
  fileFaults = FileFaults{};
  fileFaults.faultAt = faultAt;
  fileFaults.keepBytes = keepBytes;
  fileFaults.after = after;
}
