// Free space of a drive in the cluster terms of the C runtime.
// Clusters are counted in 32 bits: on large file systems the cluster grows
// (doubling the sectors per cluster) until the counts fit.
#include <errno.h>
#include <sys/statvfs.h>

#include "fs/drive_map.h"
#include "platform/direct.h"

using namespace plat::fs;

unsigned _getdiskfree(unsigned drive, struct _diskfree_t* info) {
  int d = drive == 0 ? CurrentDrive() : (int)drive - 1;
  std::string dir;
  if (!info || d < 0 || d >= kDriveCount || !DriveHostDir(d, &dir)) {
    errno = EINVAL;
    return EINVAL;
  }
  struct statvfs vfs;
  if (statvfs(dir.c_str(), &vfs) != 0) return (unsigned)errno;
  constexpr uint64_t kSector = 512;
  uint64_t unit = vfs.f_frsize ? vfs.f_frsize : vfs.f_bsize;
  uint64_t totalBytes = (uint64_t)vfs.f_blocks * unit;
  uint64_t freeBytes = (uint64_t)vfs.f_bavail * unit;
  uint64_t sectorsPerCluster = unit >= kSector ? unit / kSector : 1;
  while (totalBytes / (kSector * sectorsPerCluster) > 0xFFFFFFFFu)
    sectorsPerCluster *= 2;
  uint64_t cluster = kSector * sectorsPerCluster;
  info->bytes_per_sector = (unsigned)kSector;
  info->sectors_per_cluster = (unsigned)sectorsPerCluster;
  info->total_clusters = (unsigned)(totalBytes / cluster);
  info->avail_clusters = (unsigned)(freeBytes / cluster);
  return 0;
}
