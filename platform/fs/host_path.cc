// Windows path <-> host path conversions built on the resolver and drive map.
#include "fs/host_path.h"

#include <errno.h>

#include "fs/drive_map.h"
#include "fs/resolver.h"
#include "fs/win_path.h"

namespace plat::fs {

bool ResolveHostPath(const char* winPath, std::string* hostPath, bool* exists) {
  WinPath wp;
  Resolved r;
  if (!ParseWinPath(winPath, PathUse::kName, &wp) || !ResolvePath(wp, FinalLink::kFollow, &r)) {
    return false;
  }
  *hostPath = HostPathOf(r);
  *exists = r.exists;
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
