// Host paths of Windows paths and back, for the rest of the platform layer.
// A host path from here lies under its drive's directory and holds no
// symbolic link; the reverse mapping picks the drive with the longest match.
#pragma once

#include <string>

namespace plat::fs {

// Absolute host path of winPath. Intermediate components must exist; the
// last may be missing (exists false) and then keeps the caller's spelling.
// False with errno on failure.
bool ResolveHostPath(const char* winPath, std::string* hostPath, bool* exists);

// "C:\dir\name" for an absolute host path under a mapped drive; false (errno
// ENOENT) when no drive holds it, or EINVAL when a name holds a backslash.
bool WindowsPathOf(const std::string& hostPath, std::string* winPath);

}  // namespace plat::fs
