// Drives, current directories and directories of the C runtime.
// Drive letters map to host directories: c: is "/" unless the environment
// variable PLATFORM_DRIVES says otherwise ("c=/srv/c;d=/mnt/data").
// The process keeps a current drive and a current directory per drive.
#pragma once

#include "platform/windef.h"

int _getdrive();               // 1 = a:, 2 = b:, 3 = c:, ...
int _chdrive(int drive);       // 0, or -1 when the drive is not mapped
int _chdir(const char* path);  // a drive letter in the path also makes it current
char* _getcwd(char* buffer, int size);
char* _getdcwd(int drive, char* buffer, int size);
char* _fullpath(char* buffer, const char* path, size_t size);
int _mkdir(const char* path);
int _rmdir(const char* path);

struct _diskfree_t {
  unsigned total_clusters;
  unsigned avail_clusters;
  unsigned sectors_per_cluster;
  unsigned bytes_per_sector;
};
// drive: 0 = current, 1 = a:, ... Returns 0 or an errno value.
unsigned _getdiskfree(unsigned drive, struct _diskfree_t* info);
