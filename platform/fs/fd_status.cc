// Status by statx, converted to the host's struct stat with the birth time
// beside it, and reopening through /proc/self/fd.
#include "fs/fd_status.h"

#include <fcntl.h>
#include <string.h>
#include <sys/sysmacros.h>

#include "fs/sys_calls.h"

namespace plat::fs {
namespace {

constexpr unsigned kStatMask = STATX_BASIC_STATS | STATX_BTIME;

void FromStatx(const struct statx& sx, struct stat* st, time_t* created) {
  memset(st, 0, sizeof *st);
  st->st_dev = makedev(sx.stx_dev_major, sx.stx_dev_minor);
  st->st_ino = sx.stx_ino;
  st->st_mode = sx.stx_mode;
  st->st_nlink = sx.stx_nlink;
  st->st_uid = sx.stx_uid;
  st->st_gid = sx.stx_gid;
  st->st_rdev = makedev(sx.stx_rdev_major, sx.stx_rdev_minor);
  st->st_size = (off_t)sx.stx_size;
  st->st_blksize = sx.stx_blksize;
  st->st_blocks = (blkcnt_t)sx.stx_blocks;
  st->st_atim = {sx.stx_atime.tv_sec, sx.stx_atime.tv_nsec};
  st->st_mtim = {sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec};
  st->st_ctim = {sx.stx_ctime.tv_sec, sx.stx_ctime.tv_nsec};
  *created = (sx.stx_mask & STATX_BTIME) ? (time_t)sx.stx_btime.tv_sec : st->st_ctim.tv_sec;
}

}  // namespace

bool StatusOf(int fd, struct stat* st, time_t* created) {
  struct statx sx;
  if (Sys().statx(fd, "", AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW, kStatMask, &sx) != 0) return false;
  FromStatx(sx, st, created);
  return true;
}

bool StatusAt(int dirFd, const std::string& name, struct stat* st, time_t* created) {
  struct statx sx;
  if (Sys().statx(dirFd, name.c_str(), AT_SYMLINK_NOFOLLOW, kStatMask, &sx) != 0) return false;
  FromStatx(sx, st, created);
  return true;
}

std::string ProcFdPath(int fd) {
  return "/proc/self/fd/" + std::to_string(fd);
}

int ReopenFd(int pathFd, int flags) {
  return Sys().openat(AT_FDCWD, ProcFdPath(pathFd).c_str(), flags | O_CLOEXEC | O_NOCTTY, 0);
}

}  // namespace plat::fs
