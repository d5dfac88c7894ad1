// Free space of a drive in the cluster terms of the C runtime.
#include "fs/disk_free.h"

#include <errno.h>
#include <sys/statvfs.h>

#include "fs/anchor_state.h"
#include "fs/drive_map.h"
#include "fs/sys_calls.h"

namespace plat::fs {

void DiskFreeFromBlocks(uint64_t blocks, uint64_t available, uint64_t unit,
                        struct _diskfree_t* info) {
  constexpr uint64_t kSector = 512;
  uint64_t totalBytes = blocks * unit;
  uint64_t sectorsPerCluster = unit >= kSector ? unit / kSector : 1;
  while (totalBytes / (kSector * sectorsPerCluster) > 0xFFFFFFFFu)
    sectorsPerCluster *= 2;
  uint64_t cluster = kSector * sectorsPerCluster;
  info->bytes_per_sector = (unsigned)kSector;
  info->sectors_per_cluster = (unsigned)sectorsPerCluster;
  info->total_clusters = (unsigned)(totalBytes / cluster);
  info->avail_clusters = (unsigned)(available * unit / cluster);
}

}  // namespace plat::fs

unsigned _getdiskfree(unsigned drive, struct _diskfree_t* info) {
  using namespace plat::fs;
  int d = drive == 0 ? CurrentDrive() : (int)drive - 1;
  const AnchorRecord* anchor = nullptr;
  if (!CurrentAnchor(&anchor)) return (unsigned)errno;
  if (!info || d < 0 || d >= kDriveCount) {
    errno = EINVAL;
    return EINVAL;
  }
  if (anchor && anchor->drive != d) {
    errno = EACCES;
    return EACCES;
  }
  int fd = anchor ? anchor->dir.Get() : DriveRootFd(d);
  if (fd < 0) {
    errno = EINVAL;
    return EINVAL;
  }
  struct statvfs vfs;
  if (Sys().fstatvfs(fd, &vfs) != 0) return (unsigned)errno;
  DiskFreeFromBlocks(vfs.f_blocks, vfs.f_bavail, vfs.f_frsize ? vfs.f_frsize : vfs.f_bsize, info);
  return 0;
}
