// Component-by-component resolution under a drive's directory or an anchor.
// Invariant: every descriptor on the walk's stack is a directory reached from
// the walk's base (the drive's root or the anchor) through real names only,
// so popping it on ".." never rises above the base and a symbolic link
// swapped in later cannot redirect it. Exact names are tried first; only a
// miss asks the folded-name cache.
#include "fs/resolver.h"

#include <errno.h>
#include <fcntl.h>

#include <deque>
#include <vector>

#include "fs/anchor_state.h"
#include "fs/drive_map.h"
#include "fs/name_cache.h"
#include "fs/sys_calls.h"

namespace plat::fs {
namespace {

constexpr int kMaxLinks = 40;

bool EqualNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

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

bool ReadLink(int dirFd, const char* name, std::string* target) {
  char buf[4096];
  ssize_t n = Sys().readlinkat(dirFd, name, buf, sizeof buf);
  if (n < 0) return false;
  if ((size_t)n == sizeof buf) {
    errno = ENAMETOOLONG;
    return false;
  }
  target->assign(buf, (size_t)n);
  return true;
}

// Opens the entry name of dirFd without following it: exactly, else by a
// case-insensitive match; actual is the name tried last. -1 with errno
// ENOENT when there is none, ENOTDIR when O_DIRECTORY met something else.
int OpenEntry(int dirFd, const std::string& name, int flags, std::string* actual) {
  flags |= O_PATH | O_NOFOLLOW | O_CLOEXEC;
  *actual = name;
  int fd = Sys().openat(dirFd, name.c_str(), flags, 0);
  if (fd >= 0) return fd;
  if (errno == ENAMETOOLONG) errno = ENOENT;  // no entry can have such a name
  if (errno != ENOENT || !FindFoldedName(dirFd, name, actual)) return -1;
  return Sys().openat(dirFd, actual->c_str(), flags, 0);
}

// The status of the entry name of dirFd, found as OpenEntry finds it.
bool StatusOfEntry(int dirFd, const std::string& name, struct stat* st, time_t* created,
                   std::string* actual) {
  if (StatusAt(dirFd, name, st, created)) {
    *actual = name;
    return true;
  }
  if (errno == ENAMETOOLONG) errno = ENOENT;
  if (errno != ENOENT || !FindFoldedName(dirFd, name, actual)) return false;
  return StatusAt(dirFd, *actual, st, created);
}

struct Level {
  std::string name;
  UniqueFd fd;
};

// One walk. Under an anchor the base is the anchor's directory; an absolute
// link moves the base to the drive's root ("outside"), and the walk counts
// as inside again only when it reaches the anchor's directory itself.
// The directories of a path are first tried as one openat2 confined below
// the base that refuses every symbolic link, so real directories spelt as
// on disk cost one call together; otherwise each intermediate directory
// costs one openat (O_DIRECTORY tells it from a link or a file without a
// status call). The last component costs one statx, and one openat more
// when the caller wants its descriptor.
class Walk {
 public:
  Walk(int drive, const AnchorRecord* anchor, int base)
      : drive_(drive), anchor_(anchor), base_(base) {}

  bool Run(std::deque<std::string> pending, FinalLink link, Want want, Resolved* out);

 private:
  bool RunOnce(std::deque<std::string> pending, FinalLink link, Want want, Resolved* out);
  void TryDirectories(std::deque<std::string>* pending, std::deque<std::string>* again);
  int Top() const { return stack_.empty() ? base_ : stack_.back().fd.Get(); }
  bool IsAnchor(const struct stat& st) const {
    return anchor_ && S_ISDIR(st.st_mode) && st.st_dev == anchor_->dev && st.st_ino == anchor_->ino;
  }
  void EnterAnchor() {
    stack_.clear();
    base_ = anchor_->dir.Get();
    outside_ = false;
  }
  bool FromDriveRoot();
  bool Descend(const std::string& part, std::deque<std::string>* pending);
  bool Expand(int dirFd, const char* name, std::deque<std::string>* pending);
  bool Missing(const std::string& part, Resolved* r);
  bool Finish(Level self, const struct stat& st, time_t created, Resolved* r);
  bool FinishAtBase(Resolved* r);

  int drive_;
  const AnchorRecord* anchor_;
  int base_;
  bool outside_ = false;
  int links_ = 0;
  std::vector<Level> stack_;
  // The stack's one level stands for several directories: a ".." from a
  // link would climb them all, so a link makes the walk start over slowly.
  bool grouped_ = false;
  bool restart_ = false;
};

bool openat2Missing = false;  // a kernel older than the call

// again: the whole path, kept for a walk that has to start over.
void Walk::TryDirectories(std::deque<std::string>* pending, std::deque<std::string>* again) {
  if (openat2Missing || pending->size() < 3) return;
  std::string joined;
  for (size_t i = 0; i + 1 < pending->size(); ++i) {
    const std::string& part = (*pending)[i];
    if (part.empty() || part == "." || part == ".." || part.find('/') != std::string::npos) return;
    if (i) joined += '/';
    joined += part;
  }
  struct open_how how = {};
  how.flags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
  how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS;
  int fd = Sys().openat2(Top(), joined.c_str(), &how);
  if (fd < 0) {
    if (errno == ENOSYS) openat2Missing = true;
    return;
  }
  *again = *pending;
  Level level;
  level.fd.Reset(fd);
  level.name = (*pending)[pending->size() - 2];
  stack_.push_back(std::move(level));
  pending->erase(pending->begin(), pending->end() - 1);
  grouped_ = true;
}

bool Walk::FromDriveRoot() {
  stack_.clear();
  int root = DriveRootFd(drive_);
  if (root < 0) return false;
  base_ = root;
  if (!anchor_) return true;
  struct stat st;
  time_t created;
  if (!StatusOf(root, &st, &created)) return false;
  if (IsAnchor(st)) {
    EnterAnchor();
  } else {
    outside_ = true;
  }
  return true;
}

// Puts a link's target in front of what is left of the path.
bool Walk::Expand(int dirFd, const char* name, std::deque<std::string>* pending) {
  if (grouped_) {
    restart_ = true;
    return false;
  }
  if (++links_ > kMaxLinks) {
    errno = ELOOP;
    return false;
  }
  std::string target;
  if (!ReadLink(dirFd, name, &target)) return false;
  if (!target.empty() && target[0] == '/' && !FromDriveRoot()) return false;
  std::deque<std::string> expanded = SplitLink(target);
  pending->insert(pending->begin(), expanded.begin(), expanded.end());
  return true;
}

// An intermediate component: a directory goes on the stack, a link expands.
bool Walk::Descend(const std::string& part, std::deque<std::string>* pending) {
  Level level;
  level.fd.Reset(OpenEntry(Top(), part, O_DIRECTORY, &level.name));
  if (level.fd.Valid()) {
    struct stat st;
    time_t created;
    if (!outside_) {
      stack_.push_back(std::move(level));
    } else if (!StatusOf(level.fd.Get(), &st, &created)) {
      return false;
    } else if (IsAnchor(st)) {
      EnterAnchor();
    } else {
      stack_.push_back(std::move(level));
    }
    return true;
  }
  if (errno != ENOTDIR) return false;
  struct stat st;
  time_t created;
  if (!StatusAt(Top(), level.name, &st, &created)) return false;
  if (!S_ISLNK(st.st_mode)) {
    errno = ENOENT;  // a file in the middle of a path
    return false;
  }
  return Expand(Top(), level.name.c_str(), pending);
}

bool Walk::Missing(const std::string& part, Resolved* r) {
  if (outside_) {
    errno = ENOENT;
    return false;
  }
  r->parent = Top();
  if (!stack_.empty()) r->ownParent = std::move(stack_.back().fd);
  r->name = part;
  return true;
}

bool Walk::Finish(Level self, const struct stat& st, time_t created, Resolved* r) {
  if (outside_) {
    if (!IsAnchor(st)) {
      errno = ENOENT;
      return false;
    }
    EnterAnchor();
    return FinishAtBase(r);
  }
  r->exists = true;
  r->parent = Top();
  if (!stack_.empty()) r->ownParent = std::move(stack_.back().fd);
  r->name = std::move(self.name);
  r->ownSelf = std::move(self.fd);
  r->self = r->ownSelf.Get();
  r->st = st;
  r->created = created;
  return true;
}

bool Walk::FinishAtBase(Resolved* r) {
  if (outside_) {
    errno = ENOENT;
    return false;
  }
  if (!StatusOf(base_, &r->st, &r->created)) return false;
  r->exists = true;
  r->self = base_;
  r->parent = -1;
  if (anchor_) {
    r->isAnchor = true;
    r->isRoot = anchor_->parts.empty();
    r->name = anchor_->parts.empty() ? "" : anchor_->parts.back();
  } else {
    r->isRoot = true;
  }
  return true;
}

bool Walk::Run(std::deque<std::string> pending, FinalLink link, Want want, Resolved* r) {
  int base = base_;
  std::deque<std::string> again;
  TryDirectories(&pending, &again);
  bool ok = RunOnce(std::move(pending), link, want, r);
  if (ok || !restart_) return ok;
  stack_.clear();
  base_ = base;
  grouped_ = restart_ = false;
  return RunOnce(std::move(again), link, want, r);
}

bool Walk::RunOnce(std::deque<std::string> pending, FinalLink link, Want want, Resolved* r) {
  while (!pending.empty()) {
    std::string part = std::move(pending.front());
    pending.pop_front();
    if (part == ".") continue;
    if (part == "..") {
      if (!stack_.empty()) {
        stack_.pop_back();
      } else if (anchor_ && !outside_) {
        errno = ENOENT;  // a link that climbs out of the anchor leads nowhere
        return false;
      }
      continue;
    }
    if (!pending.empty()) {
      if (!Descend(part, &pending)) return false;
      continue;
    }
    Level level;
    struct stat st;
    time_t created;
    bool found;
    if (want == Want::kDescriptor) {
      level.fd.Reset(OpenEntry(Top(), part, 0, &level.name));
      found = level.fd.Valid() && StatusOf(level.fd.Get(), &st, &created);
    } else {
      found = StatusOfEntry(Top(), part, &st, &created, &level.name);
    }
    if (!found) return errno == ENOENT && Missing(part, r);
    if (S_ISLNK(st.st_mode) && link == FinalLink::kFollow) {
      bool expanded = level.fd.Valid() ? Expand(level.fd.Get(), "", &pending)
                                       : Expand(Top(), level.name.c_str(), &pending);
      if (!expanded) return false;
      continue;
    }
    return Finish(std::move(level), st, created, r);
  }

  // Ended on a directory already on the stack (or the base), after "." or
  // ".." from a link target, or because the path named the base.
  if (stack_.empty()) return FinishAtBase(r);
  Level self = std::move(stack_.back());
  stack_.pop_back();
  struct stat st;
  time_t created;
  if (!StatusOf(self.fd.Get(), &st, &created)) return false;
  return Finish(std::move(self), st, created, r);
}

bool Below(const AnchorRecord& anchor, const WinPath& path) {
  if (path.drive != anchor.drive || path.parts.size() < anchor.parts.size()) return false;
  for (size_t i = 0; i < anchor.parts.size(); ++i) {
    if (!EqualNoCase(path.parts[i], anchor.parts[i])) return false;
  }
  return true;
}

}  // namespace

bool ResolveFromDrive(const WinPath& path, FinalLink link, Want want, Resolved* out) {
  int root = DriveRootFd(path.drive);
  if (root < 0) return false;
  Resolved r;
  r.drive = path.drive;
  Walk walk(path.drive, nullptr, root);
  if (!walk.Run(std::deque<std::string>(path.parts.begin(), path.parts.end()), link, want, &r)) {
    return false;
  }
  *out = std::move(r);
  return true;
}

bool ResolvePath(const WinPath& path, FinalLink link, Want want, Resolved* out) {
  const AnchorRecord* anchor = nullptr;
  if (!CurrentAnchor(&anchor)) return false;
  if (!anchor) return ResolveFromDrive(path, link, want, out);
  if (!Below(*anchor, path)) {
    errno = EACCES;
    return false;
  }
  Resolved r;
  r.drive = path.drive;
  Walk walk(path.drive, anchor, anchor->dir.Get());
  auto rest = path.parts.begin() + (long)anchor->parts.size();
  if (!walk.Run(std::deque<std::string>(rest, path.parts.end()), link, want, &r)) return false;
  *out = std::move(r);
  return true;
}

}  // namespace plat::fs
