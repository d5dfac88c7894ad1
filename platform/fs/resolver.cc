// Component-by-component resolution under a drive's directory or an anchor.
// Invariant: every descriptor on the walk's stack is a directory reached from
// the walk's base (the drive's root or the anchor) through real names only,
// so popping it on ".." never rises above the base and a symbolic link
// swapped in later cannot redirect it. Each component costs one openat of
// the exact name and one statx; only a miss asks the folded-name cache.
#include "fs/resolver.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/sysmacros.h>

#include <deque>
#include <vector>

#include "fs/anchor_state.h"
#include "fs/drive_map.h"
#include "fs/name_cache.h"
#include "fs/sys_calls.h"

namespace plat::fs {
namespace {

constexpr int kMaxLinks = 40;
constexpr unsigned kStatMask = STATX_BASIC_STATS | STATX_BTIME;

char FoldCase(char c) {
  return (c >= 'A' && c <= 'Z') ? (char)(c + 32) : c;
}

bool EqualNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

void FromStatx(const struct statx& sx, struct stat* st, time_t* created) {
  memset(st, 0, sizeof *st);
  st->st_dev = makedev(sx.stx_dev_major, sx.stx_dev_minor);
  st->st_ino = sx.stx_ino;
  st->st_mode = sx.stx_mode;
  st->st_nlink = sx.stx_nlink;
  st->st_uid = sx.stx_uid;
  st->st_gid = sx.stx_gid;
  st->st_rdev = makedev(sx.stx_rdev_major, sx.stx_rdev_minor);
  st->st_size = (off_t)sx.stx_size;
  st->st_blksize = sx.stx_blksize;
  st->st_blocks = (blkcnt_t)sx.stx_blocks;
  st->st_atim = {sx.stx_atime.tv_sec, sx.stx_atime.tv_nsec};
  st->st_mtim = {sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec};
  st->st_ctim = {sx.stx_ctime.tv_sec, sx.stx_ctime.tv_nsec};
  *created = (sx.stx_mask & STATX_BTIME) ? (time_t)sx.stx_btime.tv_sec : st->st_ctim.tv_sec;
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

bool ReadLink(int fd, std::string* target) {
  char buf[4096];
  ssize_t n = Sys().readlinkat(fd, "", buf, sizeof buf);
  if (n < 0) return false;
  if ((size_t)n == sizeof buf) {
    errno = ENAMETOOLONG;
    return false;
  }
  target->assign(buf, (size_t)n);
  return true;
}

// Opens the entry name of dirFd without following it: exactly, else by a
// case-insensitive match. -1 with errno ENOENT when there is none.
int OpenEntry(int dirFd, const std::string& name, std::string* actual) {
  int fd = Sys().openat(dirFd, name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC, 0);
  if (fd >= 0) {
    *actual = name;
    return fd;
  }
  if (errno == ENAMETOOLONG) errno = ENOENT;  // no entry can have such a name
  if (errno != ENOENT || !FindFoldedName(dirFd, name, actual)) return -1;
  return Sys().openat(dirFd, actual->c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC, 0);
}

struct Level {
  std::string name;
  UniqueFd fd;
  struct stat st {};
  time_t created = 0;
};

// One walk. Under an anchor the base is the anchor's directory; an absolute
// link moves the base to the drive's root ("outside"), and the walk counts
// as inside again only when it reaches the anchor's directory itself.
class Walk {
 public:
  Walk(int drive, const AnchorRecord* anchor, int base)
      : drive_(drive), anchor_(anchor), base_(base) {}

  bool Run(std::deque<std::string> pending, FinalLink link, Resolved* out);

 private:
  int Top() const { return stack_.empty() ? base_ : stack_.back().fd.Get(); }
  bool IsAnchor(const struct stat& st) const {
    return anchor_ && st.st_dev == anchor_->dev && st.st_ino == anchor_->ino;
  }
  void EnterAnchor() {
    stack_.clear();
    base_ = anchor_->dir.Get();
    outside_ = false;
  }
  bool FromDriveRoot();
  bool Missing(const std::string& part, bool last, Resolved* r);
  bool Finish(Level self, Resolved* r);
  bool FinishAtBase(Resolved* r);

  int drive_;
  const AnchorRecord* anchor_;
  int base_;
  bool outside_ = false;
  std::vector<Level> stack_;
};

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

bool Walk::Missing(const std::string& part, bool last, Resolved* r) {
  if (!last || outside_) {
    errno = ENOENT;
    return false;
  }
  r->parent = Top();
  if (!stack_.empty()) r->ownParent = std::move(stack_.back().fd);
  r->name = part;
  return true;
}

bool Walk::Finish(Level self, Resolved* r) {
  if (outside_) {
    if (!IsAnchor(self.st)) {
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
  r->st = self.st;
  r->created = self.created;
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

bool Walk::Run(std::deque<std::string> pending, FinalLink link, Resolved* r) {
  int links = 0;
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
    bool last = pending.empty();
    Level level;
    UniqueFd fd(OpenEntry(Top(), part, &level.name));
    if (!fd.Valid()) {
      if (errno != ENOENT) return false;
      return Missing(part, last, r);
    }
    if (!StatusOf(fd.Get(), &level.st, &level.created)) return false;
    if (S_ISLNK(level.st.st_mode) && !(last && link == FinalLink::kNoFollow)) {
      if (++links > kMaxLinks) {
        errno = ELOOP;
        return false;
      }
      std::string target;
      if (!ReadLink(fd.Get(), &target)) return false;
      if (!target.empty() && target[0] == '/' && !FromDriveRoot()) return false;
      std::deque<std::string> expanded = SplitLink(target);
      pending.insert(pending.begin(), expanded.begin(), expanded.end());
      continue;
    }
    level.fd = std::move(fd);
    if (last) return Finish(std::move(level), r);
    if (!S_ISDIR(level.st.st_mode)) {
      errno = ENOENT;
      return false;
    }
    if (outside_ && IsAnchor(level.st)) {
      EnterAnchor();
    } else {
      stack_.push_back(std::move(level));
    }
  }

  // Ended on a directory already on the stack (or the base), after "." or
  // ".." from a link target, or because the path named the base.
  if (stack_.empty()) return FinishAtBase(r);
  Level self = std::move(stack_.back());
  stack_.pop_back();
  return Finish(std::move(self), r);
}

bool Below(const AnchorRecord& anchor, const WinPath& path) {
  if (path.drive != anchor.drive || path.parts.size() < anchor.parts.size()) return false;
  for (size_t i = 0; i < anchor.parts.size(); ++i) {
    if (!EqualNoCase(path.parts[i], anchor.parts[i])) return false;
  }
  return true;
}

}  // namespace

bool StatusOf(int fd, struct stat* st, time_t* created) {
  struct statx sx;
  if (Sys().statx(fd, "", AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW, kStatMask, &sx) != 0) return false;
  FromStatx(sx, st, created);
  return true;
}

bool StatusAt(int dirFd, const std::string& name, struct stat* st, time_t* created) {
  struct statx sx;
  if (Sys().statx(dirFd, name.c_str(), AT_SYMLINK_NOFOLLOW, kStatMask, &sx) != 0) return false;
  FromStatx(sx, st, created);
  return true;
}

bool ResolveFromDrive(const WinPath& path, FinalLink link, Resolved* out) {
  int root = DriveRootFd(path.drive);
  if (root < 0) return false;
  Resolved r;
  r.drive = path.drive;
  Walk walk(path.drive, nullptr, root);
  if (!walk.Run(std::deque<std::string>(path.parts.begin(), path.parts.end()), link, &r)) {
    return false;
  }
  *out = std::move(r);
  return true;
}

bool ResolvePath(const WinPath& path, FinalLink link, Resolved* out) {
  const AnchorRecord* anchor = nullptr;
  if (!CurrentAnchor(&anchor)) return false;
  if (!anchor) return ResolveFromDrive(path, link, out);
  if (!Below(*anchor, path)) {
    errno = EACCES;
    return false;
  }
  Resolved r;
  r.drive = path.drive;
  Walk walk(path.drive, anchor, anchor->dir.Get());
  auto rest = path.parts.begin() + (long)anchor->parts.size();
  if (!walk.Run(std::deque<std::string>(rest, path.parts.end()), link, &r)) return false;
  *out = std::move(r);
  return true;
}

std::string ProcFdPath(int fd) {
  return "/proc/self/fd/" + std::to_string(fd);
}

int ReopenFd(int pathFd, int flags) {
  return Sys().openat(AT_FDCWD, ProcFdPath(pathFd).c_str(), flags | O_CLOEXEC | O_NOCTTY, 0);
}

}  // namespace plat::fs
