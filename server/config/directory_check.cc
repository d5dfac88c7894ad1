// See directory_check.h.
#include "config/directory_check.h"

#include <cctype>

#include "platform/direct.h"

BOOL IsExistingDirectory(const char* path) {
  if (!isalpha((unsigned char)path[0]) || path[1] != ':' || path[2] != '\\') return FALSE;
  int drive = tolower((unsigned char)path[0]) - 'a' + 1;
  char targetDir[MAX_PATH], currentDir[MAX_PATH];
  // An unmapped drive has no current directory: it can't be selected.
  if (!_getdcwd(drive, targetDir, sizeof targetDir)) return FALSE;
  int currentDrive = _getdrive();
  BOOL haveCurrent = _getcwd(currentDir, sizeof currentDir) != nullptr;
  BOOL exists = _chdir(path) == 0;
  // Each full path sets its drive's directory and makes that drive current,
  // so the current drive's own path goes last.
  _chdir(targetDir);
  if (haveCurrent) {
    _chdir(currentDir);
  } else {
    _chdrive(currentDrive);
  }
  return exists;
}
