// Directory enumeration: _findfirst takes a snapshot of the matching names,
// "." and ".." first (none in a drive's root, as on Windows), then the rest in
// byte order, so repeated enumerations of an unchanged directory agree.
// Names no Windows path can reach (a backslash, too long) are left out.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <vector>

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

char Fold(char c) {
  return (c >= 'A' && c <= 'Z') ? (char)(c + 32) : c;
}

bool Glob(const char* p, const char* s) {
  for (; *p; ++p) {
    if (*p == '*') {
      for (const char* t = s;; ++t) {
        if (Glob(p + 1, t)) return true;
        if (!*t) return false;
      }
    }
    if (!*s || (*p != '?' && Fold(*p) != Fold(*s))) return false;
    ++s;
  }
  return !*s;
}

// DOS rules on top of the glob: "*.*" and a trailing ".*" also match names
// without a dot; a trailing "." matches names without an extension.
bool MatchPattern(const std::string& pattern, const std::string& name) {
  if (pattern == "*" || pattern == "*.*") return true;
  if (Glob(pattern.c_str(), name.c_str())) return true;
  size_t n = pattern.size();
  if (n >= 2 && pattern.compare(n - 2, 2, ".*") == 0 && name.find('.') == std::string::npos) {
    return Glob(pattern.substr(0, n - 2).c_str(), name.c_str());
  }
  if (n >= 1 && pattern[n - 1] == '.' && name.find('.') == std::string::npos) {
    return Glob(pattern.substr(0, n - 1).c_str(), name.c_str());
  }
  return false;
}

void Fill(const struct stat& st, int fd, const std::string& name, int drive, bool isRoot,
          _finddata_t* data) {
  struct _stat ws;
  MakeWindowsStatus(st, fd, name, drive, isRoot, &ws);
  memset(data, 0, sizeof *data);
  data->attrib = WindowsAttributes(st, name) & ~(unsigned)0x80;
  data->time_create = ws.st_ctime;
  data->time_access = ws.st_atime;
  data->time_write = ws.st_mtime;
  data->size = (uint32_t)(S_ISDIR(st.st_mode) ? 0 : st.st_size);
  memcpy(data->name, name.c_str(), name.size() + 1);
}

// Status of an entry as a path would see it: links followed inside the drive.
bool EntryStatus(const WinPath& dir, const std::string& name, Resolved* r) {
  WinPath child = dir;
  child.parts.push_back(name);
  return ResolvePath(child, FinalLink::kFollow, r) && r->exists;
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
  if (!ResolvePath(dirPath, FinalLink::kFollow, &dir)) return -1;
  if (!dir.exists || !S_ISDIR(dir.st.st_mode)) {
    errno = ENOENT;
    return -1;
  }

  FindState state;
  _finddata_t entry;
  if (!dir.isRoot) {
    if (MatchPattern(mask, ".")) {
      Fill(dir.st, dir.self.Get(), ".", dir.drive, false, &entry);
      state.entries.push_back(entry);
    }
    if (MatchPattern(mask, "..")) {
      WinPath up = dirPath;
      up.parts.pop_back();
      Resolved parent;
      if (ResolvePath(up, FinalLink::kFollow, &parent) && parent.exists) {
        Fill(parent.st, parent.self.Get(), "..", parent.drive, parent.isRoot, &entry);
        state.entries.push_back(entry);
      }
    }
  }
  UniqueFd listFd(openat(dir.self.Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  DIR* d = listFd.Valid() ? fdopendir(listFd.Get()) : nullptr;
  if (!d) return -1;
  listFd.Release();
  std::vector<std::string> names;
  while (dirent* e = readdir(d)) {
    std::string name = e->d_name;
    if (name == "." || name == ".." || name.find('\\') != std::string::npos ||
        name.size() >= sizeof entry.name || !MatchPattern(mask, name)) {
      continue;
    }
    names.push_back(std::move(name));
  }
  closedir(d);
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    Resolved r;
    if (!EntryStatus(dirPath, name, &r)) continue;  // a dangling link
    Fill(r.st, r.self.Get(), name, r.drive, r.isRoot, &entry);
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
