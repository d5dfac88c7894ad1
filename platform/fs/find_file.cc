// Directory enumeration: _findfirst takes a snapshot of the matching names,
// "." and ".." first (none in a drive's root, as on Windows), then the rest in
// byte order, so repeated enumerations of an unchanged directory agree.
// Names no Windows path can reach (a backslash, too long) are left out.
#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <string_view>
#include <vector>

#include "fs/dir_reader.h"
#include "fs/file_status.h"
#include "fs/resolver.h"
#include "fs/win_path.h"
#include "platform/io.h"

using namespace plat::fs;

namespace {

struct FindState {
  std::vector<_finddata_t> entries;
  size_t next = 0;
};

std::mutex findMutex;
std::map<intptr_t, FindState>& Finds() {
  static std::map<intptr_t, FindState> finds;
  return finds;
}
intptr_t nextHandle = 1;

// Greedy match that backtracks only to the last "*": a later star can take
// over whatever an earlier one would have taken, so no earlier choice needs
// undoing, and the cost is at most the name's length per pattern character.
bool Glob(std::string_view p, std::string_view s) {
  size_t pi = 0, si = 0;
  size_t star = std::string_view::npos;  // pattern position after the last "*"
  size_t resume = 0;                     // where that star's share of the name ends
  while (si < s.size()) {
    if (pi < p.size() && p[pi] == '*') {
      star = ++pi;
      resume = si;
    } else if (pi < p.size() && (p[pi] == '?' || FoldCase(p[pi]) == FoldCase(s[si]))) {
      ++pi;
      ++si;
    } else if (star != std::string_view::npos) {
      pi = star;
      si = ++resume;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == '*')
    ++pi;
  return pi == p.size();
}

// DOS rules on top of the glob: "*.*" and a trailing ".*" also match names
// without a dot; a trailing "." matches names without an extension.
bool MatchPattern(std::string_view pattern, std::string_view name) {
  if (pattern == "*" || pattern == "*.*") return true;
  if (Glob(pattern, name)) return true;
  size_t n = pattern.size();
  bool noDot = name.find('.') == std::string_view::npos;
  if (n >= 2 && pattern.substr(n - 2) == ".*" && noDot) return Glob(pattern.substr(0, n - 2), name);
  if (n >= 1 && pattern[n - 1] == '.' && noDot) return Glob(pattern.substr(0, n - 1), name);
  return false;
}

void Fill(const struct stat& st, time_t created, const std::string& name, int drive, bool isRoot,
          _finddata_t* data) {
  struct _stat ws;
  MakeWindowsStatus(st, created, name, drive, isRoot, &ws);
  memset(data, 0, sizeof *data);
  data->attrib = WindowsAttributes(st, name) & ~(unsigned)0x80;
  data->time_create = ws.st_ctime;
  data->time_access = ws.st_atime;
  data->time_write = ws.st_mtime;
  data->size = (uint32_t)(S_ISDIR(st.st_mode) ? 0 : st.st_size);
  memcpy(data->name, name.c_str(), name.size() + 1);
}

// Status of an entry as a path would see it: links followed inside the drive
// (or the anchor). False with errno ENOENT for an entry that vanished, a
// dangling link or one that leads outside; the host's errno otherwise.
bool EntryStatus(const WinPath& dir, int dirFd, const std::string& name, struct stat* st,
                 time_t* created) {
  if (!StatusAt(dirFd, name, st, created)) return false;
  if (!S_ISLNK(st->st_mode)) return true;
  WinPath child = dir;
  child.parts.push_back(name);
  Resolved r;
  if (!ResolvePath(child, FinalLink::kFollow, Want::kStatus, &r)) {
    if (errno == ELOOP) errno = ENOENT;
    return false;
  }
  if (!r.exists) {
    errno = ENOENT;
    return false;
  }
  *st = r.st;
  *created = r.created;
  return true;
}

}  // namespace

intptr_t _findfirst(const char* pattern, struct _finddata_t* data) {
  WinPath wp;
  if (!data || !ParseWinPath(pattern, PathUse::kPattern, &wp)) {
    if (!data) errno = EINVAL;
    return -1;
  }
  if (wp.parts.empty()) {
    errno = ENOENT;  // "c:\" names no file
    return -1;
  }
  std::string mask = wp.parts.back();
  WinPath dirPath = wp;
  dirPath.parts.pop_back();
  Resolved dir;
  if (!ResolvePath(dirPath, FinalLink::kFollow, Want::kDescriptor, &dir)) return -1;
  if (!dir.exists || !S_ISDIR(dir.st.st_mode)) {
    errno = ENOENT;
    return -1;
  }

  FindState state;
  _finddata_t entry;
  if (!dir.isRoot) {
    if (MatchPattern(mask, ".")) {
      Fill(dir.st, dir.created, ".", dir.drive, false, &entry);
      state.entries.push_back(entry);
    }
    if (MatchPattern(mask, "..")) {
      // The anchor's directory is its own parent: nothing above it is shown.
      WinPath up = dirPath;
      if (!dir.isAnchor) up.parts.pop_back();
      Resolved parent;
      if (!ResolvePath(up, FinalLink::kFollow, Want::kStatus, &parent)) return -1;
      if (parent.exists) {
        Fill(parent.st, parent.created, "..", parent.drive, parent.isRoot, &entry);
        state.entries.push_back(entry);
      }
    }
  }
  DirReader reader;
  if (!reader.Open(dir.self)) return -1;
  std::vector<std::string> names;
  std::string_view name;
  while (reader.Next(&name)) {
    if (name == "." || name == ".." || name.find('\\') != std::string_view::npos ||
        name.size() >= sizeof entry.name || !MatchPattern(mask, name)) {
      continue;
    }
    names.emplace_back(name);
  }
  if (errno != 0) return -1;
  std::sort(names.begin(), names.end());
  for (const std::string& entryName : names) {
    struct stat st;
    time_t created;
    if (!EntryStatus(dirPath, dir.self, entryName, &st, &created)) {
      if (errno == ENOENT) continue;  // gone, dangling, or leading outside
      return -1;
    }
    Fill(st, created, entryName, dir.drive, false, &entry);
    state.entries.push_back(entry);
  }
  if (state.entries.empty()) {
    errno = ENOENT;
    return -1;
  }
  *data = state.entries[0];
  state.next = 1;
  std::lock_guard lock(findMutex);
  intptr_t handle = nextHandle++;
  Finds()[handle] = std::move(state);
  return handle;
}

int _findnext(intptr_t handle, struct _finddata_t* data) {
  std::lock_guard lock(findMutex);
  auto it = Finds().find(handle);
  if (it == Finds().end() || !data) {
    errno = EINVAL;
    return -1;
  }
  FindState& state = it->second;
  if (state.next >= state.entries.size()) {
    errno = ENOENT;
    return -1;
  }
  *data = state.entries[state.next++];
  return 0;
}

int _findclose(intptr_t handle) {
  std::lock_guard lock(findMutex);
  if (Finds().erase(handle) == 0) {
    errno = EINVAL;
    return -1;
  }
  return 0;
}
