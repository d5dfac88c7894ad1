// The process's current drive and the current directory of each drive.
// They are Windows paths kept by the layer; the host's working directory is
// only read once, to start from, and never changed.
#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include "fs/drive_map.h"
#include "fs/resolver.h"
#include "fs/win_path.h"
#include "platform/direct.h"

using namespace plat::fs;

namespace {

// Copies text into the caller's buffer, or a new one of at least size bytes
// when buffer is NULL, as the C runtime does.
char* CopyOut(const std::string& text, char* buffer, size_t size) {
  if (!buffer) {
    size_t need = text.size() + 1;
    buffer = static_cast<char*>(malloc(size > need ? size : need));
    if (!buffer) {
      errno = ENOMEM;
      return nullptr;
    }
  } else if (size < text.size() + 1) {
    errno = ERANGE;
    return nullptr;
  }
  memcpy(buffer, text.c_str(), text.size() + 1);
  return buffer;
}

}  // namespace

int _getdrive() {
  return CurrentDrive() + 1;
}

int _chdrive(int drive) {
  if (drive < 1 || drive > kDriveCount || !SetCurrentDrive(drive - 1)) {
    errno = EACCES;
    return -1;
  }
  return 0;
}

int _chdir(const char* path) {
  WinPath wp;
  Resolved r;
  if (!ParseWinPath(path, PathUse::kName, &wp) ||
      !ResolvePath(wp, FinalLink::kFollow, Want::kStatus, &r)) {
    return -1;
  }
  if (!r.exists) {
    errno = ENOENT;
    return -1;
  }
  if (!S_ISDIR(r.st.st_mode)) {
    errno = ENOTDIR;
    return -1;
  }
  SetCurrentDir(wp.drive, wp.parts);
  if (strlen(path) >= 2 && path[1] == ':') SetCurrentDrive(wp.drive);
  return 0;
}

char* _getcwd(char* buffer, int size) {
  return _getdcwd(0, buffer, size);
}

char* _getdcwd(int drive, char* buffer, int size) {
  int d = drive == 0 ? CurrentDrive() : drive - 1;
  std::string dir;
  if (d < 0 || d >= kDriveCount || !DriveHostDir(d, &dir)) {
    errno = EACCES;
    return nullptr;
  }
  if (size < 0) {
    errno = EINVAL;
    return nullptr;
  }
  WinPath wp;
  wp.drive = d;
  wp.parts = CurrentDir(d);
  return CopyOut(FormatWinPath(wp), buffer, (size_t)size);
}

char* _fullpath(char* buffer, const char* path, size_t size) {
  if (!path || !*path) return _getcwd(buffer, (int)size);
  WinPath wp;
  if (!ParseWinPath(path, PathUse::kPattern, &wp)) return nullptr;
  std::string text = FormatWinPath(wp);
  // A drive letter the caller wrote keeps its case.
  if (strlen(path) >= 2 && path[1] == ':') text[0] = path[0];
  return CopyOut(text, buffer, buffer ? size : MAX_PATH);
}
