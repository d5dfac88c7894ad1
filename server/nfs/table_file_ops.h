// The handle table reaches its file only through this table of procedures, so
// tests can put a fault-injecting one in its place and benchmarks one without
// the sync. Positioned reads and writes are one seek and one call each.
#pragma once

#include <cstdint>

#include "platform/windef.h"

struct TableFileOps {
  int (*read)(int fd, void* buffer, unsigned count);
  int (*write)(int fd, const void* buffer, unsigned count);
  long (*seek)(int fd, long offset, int origin);
  int (*commit)(int fd);
};

// The platform's _read, _write, _lseek and _commit (which syncs the data).
extern const TableFileOps kPlatformFileOps;

struct TableFile {
  int fd;
  const TableFileOps* ops;
};

// Bytes read (fewer near the end of the file), or -1.
int ReadAt(const TableFile* file, uint32_t offset, void* buffer, uint32_t count);
// TRUE only when every byte was written.
BOOL WriteAt(const TableFile* file, uint32_t offset, const void* data, uint32_t count);
BOOL CommitFile(const TableFile* file);
// FALSE for a file too long for the 32-bit offsets of the format.
BOOL FileLength(const TableFile* file, uint32_t* length);
