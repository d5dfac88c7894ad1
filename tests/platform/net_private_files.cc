// Kept apart from the WinSock tests: <sys/mount.h> brings the system's ioctl
// numbers, whose names WinSock uses for its own.
#include "tests/platform/net_private_files.h"

#include <sched.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <unistd.h>

namespace nettest {

namespace {

bool PrivateMounts() {
  static bool privateMounts = false;
  if (!privateMounts) {
    if (unshare(CLONE_NEWNS) != 0) return false;
    if (mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return false;
    privateMounts = true;
  }
  return true;
}

}  // namespace

bool OverrideSystemFile(const char* path, const std::string& contents) {
  if (!PrivateMounts()) return false;
  char copy[] = "/tmp/net-system-file-XXXXXX";
  int fd = mkstemp(copy);
  if (fd < 0) return false;
  bool written = write(fd, contents.data(), contents.size()) == (ssize_t)contents.size();
  close(fd);
  bool mounted = written && mount(copy, path, nullptr, MS_BIND, nullptr) == 0;
  unlink(copy);
  return mounted;
}

bool MountSmallDisk(const std::string& directory, size_t bytes) {
  if (!PrivateMounts()) return false;
  std::string options = "size=" + std::to_string(bytes);
  return mount("tmpfs", directory.c_str(), "tmpfs", 0, options.c_str()) == 0;
}

}  // namespace nettest
