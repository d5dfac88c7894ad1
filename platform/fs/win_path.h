// Windows path text to a drive and normalized components (internal).
// "." and ".." are removed lexically, as Windows does before it touches the
// disk; ".." at a drive's root stays there. Nothing here reads the disk.
#pragma once

#include <string>
#include <vector>

namespace plat::fs {

struct WinPath {
  int drive = 0;  // 0 = a:
  std::vector<std::string> parts;
};

enum class PathUse {
  kName,     // every component a plain name
  kPattern,  // the last component may hold the wildcards * and ?
};

// False with errno: EINVAL (NULL, forbidden characters), ENOENT (empty path,
// unmapped drive, network path), ENAMETOOLONG (MAX_PATH or more, also once
// made absolute).
bool ParseWinPath(const char* path, PathUse use, WinPath* out);

// "C:\dir\name"; the root is "C:\".
std::string FormatWinPath(const WinPath& path);

bool IsPathSeparator(char c);

// Names match without regard to ASCII case.
inline char FoldCase(char c) {
  return (c >= 'A' && c <= 'Z') ? (char)(c + 32) : c;
}

}  // namespace plat::fs
