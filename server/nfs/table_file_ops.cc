// The platform's file calls as the default procedures, and positioned I/O on
// top of whichever procedures the table was opened with.
#include "nfs/table_file_ops.h"

#include <cstdio>

#include "platform/io.h"

const TableFileOps kPlatformFileOps = {_read, _write, _lseek, _commit};

int ReadAt(const TableFile* file, uint32_t offset, void* buffer, uint32_t count) {
  if (file->ops->seek(file->fd, (long)offset, SEEK_SET) != (long)offset) return -1;
  return file->ops->read(file->fd, buffer, count);
}

BOOL WriteAt(const TableFile* file, uint32_t offset, const void* data, uint32_t count) {
  if (file->ops->seek(file->fd, (long)offset, SEEK_SET) != (long)offset) return FALSE;
  return file->ops->write(file->fd, data, count) == (int)count;
}

BOOL CommitFile(const TableFile* file) {
  return file->ops->commit(file->fd) == 0;
}

BOOL FileLength(const TableFile* file, uint32_t* length) {
  long end = file->ops->seek(file->fd, 0, SEEK_END);
  if (end < 0 || end > (long)UINT32_MAX) return FALSE;
  *length = (uint32_t)end;
  return TRUE;
}
