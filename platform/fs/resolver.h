// Resolution of a parsed Windows path on the host, confined to its drive.
// Walks one component at a time with openat(O_PATH|O_NOFOLLOW): exact name
// first, then a case-insensitive match; symbolic links are expanded with the
// drive's directory as their root, so neither ".." nor a link leaves it.
#pragma once

#include <sys/stat.h>

#include <string>
#include <vector>

#include "fs/unique_fd.h"
#include "fs/win_path.h"

namespace plat::fs {

enum class FinalLink {
  kFollow,    // the result is what a final symbolic link leads to
  kNoFollow,  // a final symbolic link is the result itself
};

struct Resolved {
  int drive = 0;
  bool exists = false;
  bool isRoot = false;  // the drive's directory itself
  UniqueFd parent;      // O_PATH directory holding the result (the root for the root)
  std::string name;     // its name there: as on disk, or as given when missing
  UniqueFd self;        // O_PATH descriptor of the result when it exists
  struct stat st {};    // its status when it exists
  std::vector<std::string> hostParts;  // host components below the drive's directory
};

// False with errno when an intermediate component is missing or not a
// directory (ENOENT), links nest too deep (ELOOP), or the host fails.
// A missing last component is success with exists false.
bool ResolvePath(const WinPath& path, FinalLink link, Resolved* out);

// The host path of a resolved result: the drive's directory and hostParts.
std::string HostPathOf(const Resolved& r);

// A path usable with the ordinary calls to reach an O_PATH descriptor's file.
std::string ProcFdPath(int fd);

// Finds the entry of directory dirFd matching name: exactly, else without
// regard to ASCII case (the smallest such name in byte order). False if none.
bool FindEntryName(int dirFd, const std::string& name, std::string* actual);

}  // namespace plat::fs
