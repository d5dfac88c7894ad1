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

using plat::fs::FsSysCalls;

// The host's entry behind Member, counted as kind.
template <Kind kind, auto Member>
struct Faulty;
template <Kind kind, typename R, typename... Args, R (*FsSysCalls::*Member)(Args...)>
struct Faulty<kind, Member> {
  static R Call(Args... args) {
    if (Hit(kind)) return (R)-1;
    return (kHostSysCalls.*Member)(args...);
  }
};

const FsSysCalls kFaulty = {
    .openat = Faulty<kOpenat, &FsSysCalls::openat>::Call,
    .openat2 = Faulty<kOpenat2, &FsSysCalls::openat2>::Call,
    .statx = Faulty<kStatx, &FsSysCalls::statx>::Call,
    .readlinkat = Faulty<kReadlinkat, &FsSysCalls::readlinkat>::Call,
    .getdents = Faulty<kGetdents, &FsSysCalls::getdents>::Call,
    .read = Faulty<kRead, &FsSysCalls::read>::Call,
    .pread = Faulty<kPread, &FsSysCalls::pread>::Call,
    .write = Faulty<kWrite, &FsSysCalls::write>::Call,
    .renameat2 = Faulty<kRenameat2, &FsSysCalls::renameat2>::Call,
    .unlinkat = Faulty<kUnlinkat, &FsSysCalls::unlinkat>::Call,
    .mkdirat = Faulty<kMkdirat, &FsSysCalls::mkdirat>::Call,
    .fchmodat = Faulty<kFchmodat, &FsSysCalls::fchmodat>::Call,
    .fchmod = Faulty<kFchmod, &FsSysCalls::fchmod>::Call,
    .fchown = Faulty<kFchown, &FsSysCalls::fchown>::Call,
    .utimensat = Faulty<kUtimensat, &FsSysCalls::utimensat>::Call,
    .futimens = Faulty<kFutimens, &FsSysCalls::futimens>::Call,
    .ftruncate = Faulty<kFtruncate, &FsSysCalls::ftruncate>::Call,
    .fdatasync = Faulty<kFdatasync, &FsSysCalls::fdatasync>::Call,
    .fsync = Faulty<kFsync, &FsSysCalls::fsync>::Call,
    .flock = Faulty<kFlock, &FsSysCalls::flock>::Call,
    .lockctl = Faulty<kLockctl, &FsSysCalls::lockctl>::Call,
    .dupfd = Faulty<kDupfd, &FsSysCalls::dupfd>::Call,
    .fstatvfs = Faulty<kFstatvfs, &FsSysCalls::fstatvfs>::Call,
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
