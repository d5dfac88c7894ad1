// Every system call of the desktop and its endpoint goes through this table, so
// a test can fail the k-th one with a chosen errno and check that the layer
// reports a clean error and leaves no descriptor open.
#pragma once

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/types.h>

namespace plat::ipc {

struct SystemCalls {
  int (*socket)(int domain, int type, int protocol);
  int (*bind)(int fd, const sockaddr* address, socklen_t length);
  int (*connect)(int fd, const sockaddr* address, socklen_t length);
  int (*setsockopt)(int fd, int level, int name, const void* value, socklen_t length);
  ssize_t (*sendmsg)(int fd, const msghdr* message, int flags);
  ssize_t (*recvmsg)(int fd, msghdr* message, int flags);
  int (*close)(int fd);
  int (*openat)(int dirfd, const char* path, int flags, mode_t mode);
  int (*mkdirat)(int dirfd, const char* path, mode_t mode);
  int (*fstatat)(int dirfd, const char* path, struct stat* st, int flags);
  int (*unlinkat)(int dirfd, const char* path, int flags);
  int (*fchmodat)(int dirfd, const char* path, mode_t mode, int flags);
  int (*pidfdOpen)(pid_t pid, unsigned flags);
};

extern const SystemCalls kSystemCalls;

const SystemCalls& Sys();
// Tests put their own table in place; nullptr puts the system's back.
void SetSystemCalls(const SystemCalls* calls);

}  // namespace plat::ipc
