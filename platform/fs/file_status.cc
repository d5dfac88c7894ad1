// Windows-style status: the mode a Windows C runtime reports, one link, and
// fixed times for a drive's root, which has no directory entry of its own.
#include "fs/file_status.h"

#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <strings.h>

#include "platform/winbase.h"

namespace plat::fs {

bool IsReadOnly(const struct stat& st) {
  return (st.st_mode & 0222) == 0;
}

bool IsExecutableName(const std::string& name) {
  static const char* const kExtensions[] = {".exe", ".com", ".bat", ".cmd"};
  if (name.size() < 4) return false;
  const char* ext = name.c_str() + name.size() - 4;
  for (const char* e : kExtensions) {
    if (strcasecmp(ext, e) == 0) return true;
  }
  return false;
}

time_t DriveRootTime() {
  struct tm tm {};
  tm.tm_year = 80;
  tm.tm_mon = 0;
  tm.tm_mday = 1;
  tm.tm_isdst = -1;
  return mktime(&tm);
}

void MakeWindowsStatus(const struct stat& st, time_t created, const std::string& name, int drive,
                       bool isRoot, struct _stat* status) {
  memset(status, 0, sizeof *status);
  bool dir = S_ISDIR(st.st_mode);
  unsigned owner = _S_IREAD;
  if (!IsReadOnly(st)) owner |= _S_IWRITE;
  if (dir || IsExecutableName(name)) owner |= _S_IEXEC;
  unsigned mode = (dir ? _S_IFDIR : _S_IFREG) | owner | (owner >> 3) | (owner >> 6);
  status->st_mode = (uint16_t)mode;
  // No link at all tells an open file that lost its last name from one that has one.
  status->st_nlink = st.st_nlink == 0 ? 0 : 1;
  status->st_dev = status->st_rdev = (uint32_t)drive;
  status->st_size = dir ? 0 : (int64_t)st.st_size;
  if (isRoot) {
    status->st_atime = status->st_mtime = status->st_ctime = DriveRootTime();
  } else {
    status->st_atime = st.st_atim.tv_sec;
    status->st_mtime = st.st_mtim.tv_sec;
    status->st_ctime = created;
  }
}

unsigned WindowsAttributes(const struct stat& st, const std::string& name) {
  unsigned attributes = 0;
  if (S_ISDIR(st.st_mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
  if (IsReadOnly(st)) attributes |= FILE_ATTRIBUTE_READONLY;
  if (!name.empty() && name[0] == '.' && name != "." && name != "..") {
    attributes |= FILE_ATTRIBUTE_HIDDEN;
  }
  return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

mode_t CurrentUmask() {
  if (FILE* f = fopen("/proc/self/status", "re")) {
    char line[256];
    unsigned mask = 0;
    bool found = false;
    while (fgets(line, sizeof line, f)) {
      if (sscanf(line, "Umask: %o", &mask) == 1) {
        found = true;
        break;
      }
    }
    fclose(f);
    if (found) return (mode_t)mask;
  }
  return 022;
}

}  // namespace plat::fs
