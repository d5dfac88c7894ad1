// Parsing of Windows paths against the current drive and directories.
// A path that comes out of here names a mapped drive and has only plain
// components, each free of the characters Windows forbids in names.
#include "fs/win_path.h"

#include <errno.h>
#include <string.h>

#include <cstring>

#include "fs/drive_map.h"
#include "platform/windef.h"

namespace plat::fs {
namespace {

bool IsForbidden(unsigned char c, bool wildcardsAllowed) {
  if (c < 32) return true;
  if (wildcardsAllowed && (c == '*' || c == '?')) return false;
  return std::strchr("<>\"|?*:", c) != nullptr;
}

}  // namespace

bool IsPathSeparator(char c) {
  return c == '\\' || c == '/';
}

bool ParseWinPath(const char* path, PathUse use, WinPath* out) {
  if (!path) {
    errno = EINVAL;
    return false;
  }
  size_t len = strlen(path);
  if (len == 0) {
    errno = ENOENT;
    return false;
  }
  if (len >= MAX_PATH) {
    errno = ENAMETOOLONG;
    return false;
  }
  const char* p = path;
  WinPath result;
  char letter = (char)(path[0] | 0x20);
  if (len >= 2 && path[1] == ':' && letter >= 'a' && letter <= 'z') {
    result.drive = letter - 'a';
    p += 2;
  } else {
    if (IsPathSeparator(path[0]) && IsPathSeparator(path[1])) {
      errno = ENOENT;  // \\server\share: no network drives here
      return false;
    }
    result.drive = CurrentDrive();
  }
  std::string hostDir;
  if (!DriveHostDir(result.drive, &hostDir)) return false;
  if (!IsPathSeparator(*p)) result.parts = CurrentDir(result.drive);

  std::vector<std::string> given;
  while (*p) {
    while (IsPathSeparator(*p))
      ++p;
    const char* start = p;
    while (*p && !IsPathSeparator(*p))
      ++p;
    if (p > start) given.emplace_back(start, p);
  }
  for (size_t i = 0; i < given.size(); ++i) {
    const std::string& part = given[i];
    bool wild = use == PathUse::kPattern && i + 1 == given.size();
    for (unsigned char c : part) {
      if (IsForbidden(c, wild)) {
        errno = EINVAL;
        return false;
      }
    }
    if (part == ".") continue;
    if (part == "..") {
      if (!result.parts.empty()) result.parts.pop_back();
      continue;
    }
    result.parts.push_back(part);
  }
  if (FormatWinPath(result).size() >= MAX_PATH) {
    errno = ENAMETOOLONG;
    return false;
  }
  *out = std::move(result);
  return true;
}

std::string FormatWinPath(const WinPath& path) {
  std::string text;
  text += (char)('A' + path.drive);
  text += ":\\";
  for (size_t i = 0; i < path.parts.size(); ++i) {
    if (i) text += '\\';
    text += path.parts[i];
  }
  return text;
}

}  // namespace plat::fs
