// What the two fuzz targets of the server's stores share: the handle table's file
// procedures without the sync (durability is not what is fuzzed, and syncing each
// input would only slow the run), and writing an input to a host file.
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "nfs/handle_table.h"
#include "platform/io.h"

inline int NoSync(int) {
  return 0;
}

inline const TableFileOps kFuzzFileOps = {_read, _write, _lseek, NoSync};

inline void WriteHostFile(const std::string& path, const uint8_t* data, size_t size) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) abort();
  if (write(fd, data, size) != (ssize_t)size) abort();
  close(fd);
}
