// Component-by-component resolution under a drive's directory.
// Invariant: every descriptor on the walk's stack is a directory reached from
// the drive's root through real names only, so popping it on ".." never rises
// above the root and a symbolic link swapped in later cannot redirect it.
#include "fs/resolver.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <unistd.h>

#include <deque>

#include "fs/drive_map.h"

namespace plat::fs {
namespace {

constexpr int kMaxLinks = 40;

char FoldCase(char c) {
  return (c >= 'A' && c <= 'Z') ? (char)(c + 32) : c;
}

bool EqualNoCase(const std::string& a, const char* b) {
  size_t n = strlen(b);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

struct Level {
  std::string name;
  UniqueFd fd;
};

std::deque<std::string> SplitLink(const std::string& target) {
  std::deque<std::string> parts;
  size_t i = 0;
  while (i < target.size()) {
    size_t j = target.find('/', i);
    if (j == std::string::npos) j = target.size();
    if (j > i) parts.push_back(target.substr(i, j - i));
    i = j + 1;
  }
  return parts;
}

bool ReadLink(int fd, std::string* target) {
  char buf[4096];
  ssize_t n = readlinkat(fd, "", buf, sizeof buf);
  if (n < 0) return false;
  if ((size_t)n == sizeof buf) {
    errno = ENAMETOOLONG;
    return false;
  }
  target->assign(buf, (size_t)n);
  return true;
}

int Dup(int fd) {
  return fcntl(fd, F_DUPFD_CLOEXEC, 0);
}

}  // namespace

bool FindEntryName(int dirFd, const std::string& name, std::string* actual) {
  struct stat st;
  if (fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    *actual = name;
    return true;
  }
  if (errno == ENAMETOOLONG) errno = ENOENT;  // no entry can have such a name
  if (errno != ENOENT) return false;
  int listFd = openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listFd < 0) return false;
  DIR* dir = fdopendir(listFd);
  if (!dir) {
    close(listFd);
    return false;
  }
  bool found = false;
  while (dirent* e = readdir(dir)) {
    if (!EqualNoCase(name, e->d_name)) continue;
    if (!found || strcmp(e->d_name, actual->c_str()) < 0) *actual = e->d_name;
    found = true;
  }
  closedir(dir);
  if (!found) errno = ENOENT;
  return found;
}

bool ResolvePath(const WinPath& path, FinalLink link, Resolved* out) {
  std::string hostDir;
  if (!DriveHostDir(path.drive, &hostDir)) return false;
  UniqueFd root(open(hostDir.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (!root.Valid()) return false;

  std::vector<Level> stack;
  std::deque<std::string> pending(path.parts.begin(), path.parts.end());
  int links = 0;
  Resolved r;
  r.drive = path.drive;
  auto top = [&]() { return stack.empty() ? root.Get() : stack.back().fd.Get(); };
  auto names = [&]() {
    std::vector<std::string> v;
    for (const Level& l : stack)
      v.push_back(l.name);
    return v;
  };

  while (!pending.empty()) {
    std::string part = std::move(pending.front());
    pending.pop_front();
    if (part == ".") continue;
    if (part == "..") {
      if (!stack.empty()) stack.pop_back();
      continue;
    }
    bool last = pending.empty();
    std::string actual;
    if (!FindEntryName(top(), part, &actual)) {
      if (errno != ENOENT) return false;
      if (!last) return false;
      r.parent.Reset(Dup(top()));
      r.name = part;
      r.hostParts = names();
      r.hostParts.push_back(part);
      *out = std::move(r);
      return out->parent.Valid();
    }
    UniqueFd fd(openat(top(), actual.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    struct stat st;
    if (!fd.Valid() || fstat(fd.Get(), &st) != 0) return false;
    if (S_ISLNK(st.st_mode) && !(last && link == FinalLink::kNoFollow)) {
      if (++links > kMaxLinks) {
        errno = ELOOP;
        return false;
      }
      std::string target;
      if (!ReadLink(fd.Get(), &target)) return false;
      if (!target.empty() && target[0] == '/') stack.clear();
      std::deque<std::string> expanded = SplitLink(target);
      pending.insert(pending.begin(), expanded.begin(), expanded.end());
      continue;
    }
    if (S_ISDIR(st.st_mode) && !last) {
      stack.push_back({actual, std::move(fd)});
      continue;
    }
    if (!last) {
      errno = ENOENT;
      return false;
    }
    r.parent.Reset(Dup(top()));
    r.name = actual;
    r.self = std::move(fd);
    r.st = st;
    r.exists = true;
    r.hostParts = names();
    r.hostParts.push_back(actual);
    *out = std::move(r);
    return out->parent.Valid();
  }

  // Ended on a directory already on the stack (or the root), after "." or
  // ".." from a link target, or because the path named the root.
  r.exists = true;
  if (stack.empty()) {
    r.isRoot = true;
    r.parent.Reset(Dup(root.Get()));
    r.self = std::move(root);
  } else {
    Level self = std::move(stack.back());
    stack.pop_back();
    r.parent.Reset(Dup(top()));
    r.name = self.name;
    r.self = std::move(self.fd);
    r.hostParts = names();
    r.hostParts.push_back(r.name);
  }
  if (!r.parent.Valid() || fstat(r.self.Get(), &r.st) != 0) return false;
  *out = std::move(r);
  return true;
}

std::string HostPathOf(const Resolved& r) {
  std::string dir;
  DriveHostDir(r.drive, &dir);
  std::string path = dir;
  for (const std::string& part : r.hostParts) {
    if (path.empty() || path.back() != '/') path += '/';
    path += part;
  }
  return path;
}

std::string ProcFdPath(int fd) {
  return "/proc/self/fd/" + std::to_string(fd);
}

}  // namespace plat::fs
