// The counting and failing table of host calls (see fs_faults.h).
#include "fs_faults.h"

#include <dirent.h>
#include <errno.h>

#include "fs/sys_calls.h"

namespace fs_faults {
namespace {

using plat::fs::kHostSysCalls;

struct Plan {
  int kind = kKinds;
  int k = 0;
  int err = 0;
  int counts[kKinds] = {};
  bool fired = false;
} plan;

bool Hit(Kind kind) {
  if (++plan.counts[kind] != plan.k || kind != plan.kind) return false;
  plan.fired = true;
  errno = plan.err;
  return true;
}

#define FAULTY(kind, name, ret, params, args) \
  ret Faulty_##name params {                  \
    if (Hit(kind)) return (ret)-1;            \
    return kHostSysCalls.name args;           \
  }

FAULTY(kOpenat, openat, int, (int d, const char* p, int f, mode_t m), (d, p, f, m))
FAULTY(kOpenat2, openat2, int, (int d, const char* p, const struct open_how* h), (d, p, h))
FAULTY(kStatx, statx, int, (int d, const char* p, int f, unsigned m, struct statx* o),
       (d, p, f, m, o))
FAULTY(kReadlinkat, readlinkat, ssize_t, (int d, const char* p, char* b, size_t n), (d, p, b, n))
FAULTY(kGetdents, getdents, ssize_t, (int fd, void* b, size_t n), (fd, b, n))
FAULTY(kRead, read, ssize_t, (int fd, void* b, size_t n), (fd, b, n))
FAULTY(kPread, pread, ssize_t, (int fd, void* b, size_t n, off_t o), (fd, b, n, o))
FAULTY(kWrite, write, ssize_t, (int fd, const void* b, size_t n), (fd, b, n))
FAULTY(kRenameat2, renameat2, int, (int a, const char* b, int c, const char* d, unsigned f),
       (a, b, c, d, f))
FAULTY(kUnlinkat, unlinkat, int, (int d, const char* p, int f), (d, p, f))
FAULTY(kMkdirat, mkdirat, int, (int d, const char* p, mode_t m), (d, p, m))
FAULTY(kFchmodat, fchmodat, int, (int d, const char* p, mode_t m, int f), (d, p, m, f))
FAULTY(kFchmod, fchmod, int, (int fd, mode_t m), (fd, m))
FAULTY(kFchown, fchown, int, (int fd, uid_t u, gid_t g), (fd, u, g))
FAULTY(kUtimensat, utimensat, int, (int d, const char* p, const struct timespec t[2], int f),
       (d, p, t, f))
FAULTY(kFutimens, futimens, int, (int fd, const struct timespec t[2]), (fd, t))
FAULTY(kFtruncate, ftruncate, int, (int fd, off_t n), (fd, n))
FAULTY(kFdatasync, fdatasync, int, (int fd), (fd))
FAULTY(kFsync, fsync, int, (int fd), (fd))
FAULTY(kFlock, flock, int, (int fd, int op), (fd, op))
FAULTY(kLockctl, lockctl, int, (int fd, int c, struct flock* l), (fd, c, l))
FAULTY(kDupfd, dupfd, int, (int fd), (fd))
FAULTY(kFstatvfs, fstatvfs, int, (int fd, struct statvfs* o), (fd, o))

const plat::fs::FsSysCalls kFaulty = {
    .openat = Faulty_openat,
    .openat2 = Faulty_openat2,
    .statx = Faulty_statx,
    .readlinkat = Faulty_readlinkat,
    .getdents = Faulty_getdents,
    .read = Faulty_read,
    .pread = Faulty_pread,
    .write = Faulty_write,
    .renameat2 = Faulty_renameat2,
    .unlinkat = Faulty_unlinkat,
    .mkdirat = Faulty_mkdirat,
    .fchmodat = Faulty_fchmodat,
    .fchmod = Faulty_fchmod,
    .fchown = Faulty_fchown,
    .utimensat = Faulty_utimensat,
    .futimens = Faulty_futimens,
    .ftruncate = Faulty_ftruncate,
    .fdatasync = Faulty_fdatasync,
    .fsync = Faulty_fsync,
    .flock = Faulty_flock,
    .lockctl = Faulty_lockctl,
    .dupfd = Faulty_dupfd,
    .fstatvfs = Faulty_fstatvfs,
};

const char* const kNames[kKinds] = {
    "openat", "openat2", "statx",     "readlinkat", "getdents",  "read",
    "pread",  "write",   "renameat2", "unlinkat",   "mkdirat",   "fchmodat",
    "fchmod", "fchown",  "utimensat", "futimens",   "ftruncate", "fdatasync",
    "fsync",  "flock",   "lockctl",   "dupfd",      "fstatvfs",
};

}  // namespace

const char* KindName(int kind) {
  return kind >= 0 && kind < kKinds ? kNames[kind] : "none";
}

void Install(int kind, int k, int err) {
  plan = Plan{};
  plan.kind = kind;
  plan.k = k;
  plan.err = err;
  plat::fs::SetFsSysCallsForTests(&kFaulty);
}

void Uninstall() {
  plat::fs::SetFsSysCallsForTests(nullptr);
}

int Count(int kind) {
  return plan.counts[kind];
}

bool Fired() {
  return plan.fired;
}

std::set<std::string> OpenDescriptors() {
  std::set<std::string> fds;
  DIR* dir = opendir("/proc/self/fd");
  if (!dir) return fds;
  while (dirent* e = readdir(dir)) {
    if (e->d_name[0] != '.') fds.insert(e->d_name);
  }
  closedir(dir);
  return fds;
}

}  // namespace fs_faults
