// Directory checks refuse a desktop that another user could reach: it must be a
// real directory owned by us with no group or other permissions.
#include "ipc/desktop.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "ipc/endpoint.h"
#include "ipc/window_registry.h"
#include "win/remote_windows.h"

namespace plat::ipc {

namespace {

std::string desktopDir;
bool joined = false;

std::string ChooseDirectory() {
  if (const char* named = getenv("PLATFORM_DESKTOP"); named && *named) return named;
  if (const char* runtime = getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
    return std::string(runtime) + "/platform-desktop";
  return "/tmp/platform-desktop-" + std::to_string(geteuid());
}

bool PrivateDirectory(const std::string& dir) {
  if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return false;
  struct stat st;
  if (lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  return st.st_uid == geteuid() && (st.st_mode & 077) == 0;
}

}  // namespace

const std::string& DesktopDir() {
  return desktopDir;
}

std::string EndpointPath(pid_t pid) {
  return desktopDir + "/p" + std::to_string(pid) + ".sock";
}

bool EndpointAlive(pid_t pid) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::string path = EndpointPath(pid);
  if (path.size() >= sizeof address.sun_path) return false;
  memcpy(address.sun_path, path.c_str(), path.size() + 1);
  int probe = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (probe < 0) return false;
  bool alive = connect(probe, (sockaddr*)&address, sizeof address) == 0;
  close(probe);
  return alive;
}

bool InDesktop() {
  return joined;
}

bool JoinDesktop() {
  if (joined) return true;
  std::string dir = ChooseDirectory();
  if (!PrivateDirectory(dir)) {
    fprintf(stderr, "desktop %s is not a private directory of this user; staying alone\n",
            dir.c_str());
    return false;
  }
  desktopDir = dir;
  if (!OpenEndpoint() || !OpenWindowRegistry()) {
    fprintf(stderr, "can't join the desktop %s: %s\n", dir.c_str(), strerror(errno));
    desktopDir.clear();
    return false;
  }
  InstallRemote();
  joined = true;
  return true;
}

}  // namespace plat::ipc
