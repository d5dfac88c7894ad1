// Joining checks the directory through the descriptor it keeps (O_NOFOLLOW, then
// fstat), so what was checked is what is used: a path swapped afterwards leads
// nowhere. Sockets are named through /proc/self/fd/<desktop> for the same reason.
#include "ipc/desktop.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "ipc/endpoint.h"
#include "ipc/system_calls.h"
#include "ipc/window_registry.h"

namespace plat::ipc {

namespace {

std::string desktopDir;
int desktopFd = -1;
bool joined = false;

std::string ChooseDirectory() {
  if (const char* named = getenv("PLATFORM_DESKTOP"); named && *named) return named;
  if (const char* runtime = getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
    return std::string(runtime) + "/platform-desktop";
  return "/tmp/platform-desktop-" + std::to_string(geteuid());
}

void Refuse(const std::string& dir, const char* why) {
  fprintf(stderr,
          "platform: the desktop %s %s; set PLATFORM_DESKTOP to a directory of this user "
          "with mode 0700\n",
          dir.c_str(), why);
}

// The directory's descriptor, or -1 after saying why it can't be the desktop.
int OpenPrivateDirectory(const std::string& dir) {
  const SystemCalls& sys = Sys();
  if (sys.mkdirat(AT_FDCWD, dir.c_str(), 0700) != 0 && errno != EEXIST) {
    Refuse(dir, (std::string("can't be made: ") + strerror(errno)).c_str());
    return -1;
  }
  int fd = sys.openat(AT_FDCWD, dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC, 0);
  if (fd < 0) {
    int error = errno;
    struct stat link;
    bool isLink = sys.fstatat(AT_FDCWD, dir.c_str(), &link, AT_SYMLINK_NOFOLLOW) == 0 &&
                  S_ISLNK(link.st_mode);
    Refuse(dir, isLink ? "is a symbolic link"
                       : (std::string("can't be opened: ") + strerror(error)).c_str());
    return -1;
  }
  struct stat st;
  char why[96] = "";
  if (sys.fstatat(fd, "", &st, AT_EMPTY_PATH) != 0) {
    snprintf(why, sizeof why, "can't be checked: %s", strerror(errno));
  } else if (st.st_uid != geteuid()) {
    snprintf(why, sizeof why, "belongs to user %u, not to this user (%u)", (unsigned)st.st_uid,
             (unsigned)geteuid());
  } else if ((st.st_mode & 07777) != 0700) {
    snprintf(why, sizeof why, "has mode %04o, not 0700", (unsigned)(st.st_mode & 07777));
  }
  if (why[0]) {
    Refuse(dir, why);
    sys.close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

const std::string& DesktopDir() {
  return desktopDir;
}

int DesktopFd() {
  return desktopFd;
}

std::string EndpointName(pid_t pid) {
  return "p" + std::to_string(pid) + ".sock";
}

std::string EndpointPath(pid_t pid) {
  return desktopDir + "/" + EndpointName(pid);
}

bool EndpointAddress(pid_t pid, sockaddr_un* address) {
  memset(address, 0, sizeof *address);
  address->sun_family = AF_UNIX;
  int n = snprintf(address->sun_path, sizeof address->sun_path, "/proc/self/fd/%d/%s", desktopFd,
                   EndpointName(pid).c_str());
  return desktopFd >= 0 && n > 0 && (size_t)n < sizeof address->sun_path;
}

bool EndpointAlive(pid_t pid) {
  sockaddr_un address;
  if (!EndpointAddress(pid, &address)) return false;
  const SystemCalls& sys = Sys();
  int probe = sys.socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (probe < 0) return false;
  bool alive = sys.connect(probe, (sockaddr*)&address, sizeof address) == 0;
  sys.close(probe);
  return alive;
}

bool InDesktop() {
  return joined;
}

bool JoinDesktop() {
  if (joined) return true;
  std::string dir = ChooseDirectory();
  int fd = OpenPrivateDirectory(dir);
  if (fd < 0) return false;
  desktopDir = dir;
  desktopFd = fd;
  if (!OpenEndpoint() || !OpenWindowRegistry()) {
    fprintf(stderr, "platform: can't join the desktop %s: %s\n", dir.c_str(), strerror(errno));
    CloseEndpoint();
    Sys().close(fd);
    desktopFd = -1;
    desktopDir.clear();
    return false;
  }
  InstallRemote();
  joined = true;
  return true;
}

}  // namespace plat::ipc
