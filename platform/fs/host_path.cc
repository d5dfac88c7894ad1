// Host path text for people and choosers, from descriptors and the drive map.
#include "fs/host_path.h"

#include <errno.h>
#include <limits.h>
#include <unistd.h>

#include "fs/drive_map.h"
#include "fs/resolver.h"
#include "fs/win_path.h"

namespace plat::fs {

bool DirectoryForChooser(const char* winPath, std::string* hostPath) {
  WinPath wp;
  Resolved r;
  if (!ParseWinPath(winPath, PathUse::kName, &wp) ||
      !ResolvePath(wp, FinalLink::kFollow, Want::kDescriptor, &r)) {
    return false;
  }
  if (!r.exists || !S_ISDIR(r.st.st_mode) || r.st.st_nlink == 0) {
    errno = ENOTDIR;
    return false;
  }
  char buf[PATH_MAX];
  ssize_t n = readlink(ProcFdPath(r.self).c_str(), buf, sizeof buf);
  if (n <= 0 || (size_t)n == sizeof buf || buf[0] != '/') {
    errno = ENOENT;  // unreachable from here, or removed
    return false;
  }
  hostPath->assign(buf, (size_t)n);
  return true;
}

bool WindowsPathOf(const std::string& hostPath, std::string* winPath) {
  WinPath wp;
  if (hostPath.empty() || hostPath[0] != '/' || !DriveOfHostPath(hostPath, &wp.drive, &wp.parts)) {
    errno = ENOENT;
    return false;
  }
  for (const std::string& part : wp.parts) {
    if (part.find('\\') != std::string::npos) {
      errno = EINVAL;
      return false;
    }
  }
  *winPath = FormatWinPath(wp);
  return true;
}

}  // namespace plat::fs
