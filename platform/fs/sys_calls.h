// The host calls of the file layer, reached through one table of procedures
// so that tests can fail any one of them on demand (the k-th openat, say) and
// check that every caller reports it and leaves no descriptor behind.
#pragma once

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/types.h>
#include <time.h>

namespace plat::fs {

struct FsSysCalls {
  int (*openat)(int dirFd, const char* path, int flags, mode_t mode);
  int (*openat2)(int dirFd, const char* path, const struct open_how* how);
  int (*statx)(int dirFd, const char* path, int flags, unsigned mask, struct statx* out);
  ssize_t (*readlinkat)(int dirFd, const char* path, char* buffer, size_t size);
  ssize_t (*getdents)(int fd, void* buffer, size_t size);
  ssize_t (*read)(int fd, void* buffer, size_t count);
  ssize_t (*pread)(int fd, void* buffer, size_t count, off_t offset);
  ssize_t (*write)(int fd, const void* buffer, size_t count);
  int (*renameat2)(int fromDir, const char* from, int toDir, const char* to, unsigned flags);
  int (*unlinkat)(int dirFd, const char* path, int flags);
  int (*mkdirat)(int dirFd, const char* path, mode_t mode);
  int (*fchmodat)(int dirFd, const char* path, mode_t mode, int flags);
  int (*fchmod)(int fd, mode_t mode);
  int (*fchown)(int fd, uid_t uid, gid_t gid);
  int (*utimensat)(int dirFd, const char* path, const struct timespec times[2], int flags);
  int (*futimens)(int fd, const struct timespec times[2]);
  int (*ftruncate)(int fd, off_t length);
  int (*fdatasync)(int fd);
  int (*fsync)(int fd);
  int (*flock)(int fd, int operation);
  int (*lockctl)(int fd, int command, struct flock* lock);  // the fcntl record locks
  int (*dupfd)(int fd);                                     // F_DUPFD_CLOEXEC
  int (*fstatvfs)(int fd, struct statvfs* out);
};

// The host's own calls.
extern const FsSysCalls kHostSysCalls;

// The table in use.
const FsSysCalls& Sys();
// Puts a table in place of the host's; nullptr restores the host's.
void SetFsSysCallsForTests(const FsSysCalls* table);

}  // namespace plat::fs
