// The system's own procedures, wrapped where libc's signature differs (openat is
// variadic, pidfd_open has no wrapper in every libc).
#include "ipc/system_calls.h"

#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace plat::ipc {

namespace {

int OpenAt(int dirfd, const char* path, int flags, mode_t mode) {
  return ::openat(dirfd, path, flags, mode);
}

int PidfdOpen(pid_t pid, unsigned flags) {
  return (int)::syscall(SYS_pidfd_open, pid, flags);
}

const SystemCalls* current = &kSystemCalls;

}  // namespace

const SystemCalls kSystemCalls = {
    ::socket, ::bind,    ::connect, ::setsockopt, ::sendmsg,  ::recvmsg, ::close,
    OpenAt,   ::mkdirat, ::fstatat, ::unlinkat,   ::fchmodat, PidfdOpen,
};

const SystemCalls& Sys() {
  return *current;
}

void SetSystemCalls(const SystemCalls* calls) {
  current = calls ? calls : &kSystemCalls;
}

}  // namespace plat::ipc
