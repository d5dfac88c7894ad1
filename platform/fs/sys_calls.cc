// The host's file calls as the default table. Each entry is the bare call,
// so a table of tests can wrap the same entries and count them.
#include "fs/sys_calls.h"

#include <dirent.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace plat::fs {
namespace {

int OpenAt(int dirFd, const char* path, int flags, mode_t mode) {
  return ::openat(dirFd, path, flags, mode);
}

int OpenAt2(int dirFd, const char* path, const struct open_how* how) {
  return (int)syscall(SYS_openat2, dirFd, path, how, sizeof *how);
}

int Statx(int dirFd, const char* path, int flags, unsigned mask, struct statx* out) {
  return ::statx(dirFd, path, flags, mask, out);
}

ssize_t GetDents(int fd, void* buffer, size_t size) {
  return ::getdents64(fd, buffer, size);
}

int LockCtl(int fd, int command, struct flock* lock) {
  return ::fcntl(fd, command, lock);
}

int DupFd(int fd) {
  return ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
}

const FsSysCalls* current = &kHostSysCalls;

}  // namespace

const FsSysCalls kHostSysCalls = {
    .openat = OpenAt,
    .openat2 = OpenAt2,
    .statx = Statx,
    .readlinkat = ::readlinkat,
    .getdents = GetDents,
    .read = ::read,
    .pread = ::pread,
    .write = ::write,
    .renameat2 = ::renameat2,
    .unlinkat = ::unlinkat,
    .mkdirat = ::mkdirat,
    .fchmodat = ::fchmodat,
    .fchmod = ::fchmod,
    .fchown = ::fchown,
    .utimensat = ::utimensat,
    .futimens = ::futimens,
    .ftruncate = ::ftruncate,
    .fdatasync = ::fdatasync,
    .fsync = ::fsync,
    .flock = ::flock,
    .lockctl = LockCtl,
    .dupfd = DupFd,
    .fstatvfs = ::fstatvfs,
};

const FsSysCalls& Sys() {
  return *current;
}

void SetFsSysCallsForTests(const FsSysCalls* table) {
  current = table ? table : &kHostSysCalls;
}

}  // namespace plat::fs
