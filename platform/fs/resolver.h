// Resolution of a parsed Windows path on the host, confined to its drive, or
// to the path anchor while one is set (path_anchor.h).
// Walks one component at a time with openat(O_PATH|O_NOFOLLOW): exact name
// first, then a case-insensitive match; symbolic links are expanded with the
// drive's directory as their root, so neither ".." nor a link leaves it.
// What comes out are descriptors and a name, never host path text.
#pragma once

#include <sys/stat.h>
#include <time.h>

#include <string>

#include "fs/fd_status.h"
#include "fs/unique_fd.h"
#include "fs/win_path.h"

namespace plat::fs {

enum class FinalLink {
  kFollow,    // the result is what a final symbolic link leads to
  kNoFollow,  // a final symbolic link is the result itself
};

// What a caller needs of an existing result beyond its parent, name and status.
enum class Want {
  kStatus,      // self may stay -1 (it is set for the drive's root and the anchor)
  kDescriptor,  // self is an O_PATH descriptor of the result
};

struct Resolved {
  int drive = 0;
  bool exists = false;
  bool isRoot = false;    // the drive's directory itself
  bool isAnchor = false;  // the anchor's directory itself
  // O_PATH directory holding the result; -1 for the drive's root and the
  // anchor's directory, which have none within reach. May be borrowed from
  // the drive map or the anchor: good for the current call only.
  int parent = -1;
  std::string name;             // its name there: as on disk, or as given when missing
  int self = -1;                // O_PATH descriptor of the result when it exists (may be borrowed)
  struct stat st {};            // its status when it exists
  time_t created = 0;           // its creation time (the change time where the host keeps none)
  UniqueFd ownParent, ownSelf;  // the descriptors above that this result owns
};

// False with errno when an intermediate component is missing or not a
// directory (ENOENT), links nest too deep (ELOOP), the path lies outside the
// anchor (EACCES), or the host fails. A missing last component is success
// with exists false.
bool ResolvePath(const WinPath& path, FinalLink link, Want want, Resolved* out);

// The same, always from the drive's root: for opening and checking anchors.
bool ResolveFromDrive(const WinPath& path, FinalLink link, Want want, Resolved* out);

}  // namespace plat::fs
