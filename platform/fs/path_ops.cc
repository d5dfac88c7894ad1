// Calls on files and directories named by path: status, access, delete,
// times, directories, attributes and moves. Each resolves the path once and
// then acts on the descriptors it got, never on host path text.
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include "fs/file_status.h"
#include "fs/last_error.h"
#include "fs/resolver.h"
#include "fs/sys_calls.h"
#include "fs/win_path.h"
#include "platform/direct.h"
#include "platform/io.h"
#include "platform/winbase.h"

using namespace plat::fs;

namespace {

// Resolves an existing file or directory; errno ENOENT when it is missing.
bool ResolveExisting(const char* path, FinalLink link, Want want, WinPath* wp, Resolved* r) {
  if (!ParseWinPath(path, PathUse::kName, wp) || !ResolvePath(*wp, link, want, r)) return false;
  if (!r->exists) {
    errno = ENOENT;
    return false;
  }
  return true;
}

std::string LastName(const WinPath& wp) {
  return wp.parts.empty() ? "" : wp.parts.back();
}

}  // namespace

int _stat(const char* path, struct _stat* status) {
  WinPath wp;
  Resolved r;
  if (!status) {
    errno = EINVAL;
    return -1;
  }
  if (!ResolveExisting(path, FinalLink::kFollow, Want::kStatus, &wp, &r)) return -1;
  MakeWindowsStatus(r.st, r.created, LastName(wp), r.drive, r.isRoot, status);
  return 0;
}

int _access(const char* path, int mode) {
  WinPath wp;
  Resolved r;
  if (mode & ~(_A_READ | _A_WRITE)) {
    errno = EINVAL;
    return -1;
  }
  if (!ResolveExisting(path, FinalLink::kFollow, Want::kStatus, &wp, &r)) return -1;
  if ((mode & _A_WRITE) && IsReadOnly(r.st)) {
    errno = EACCES;
    return -1;
  }
  return 0;
}

int _unlink(const char* path) {
  WinPath wp;
  Resolved r;
  if (!ResolveExisting(path, FinalLink::kNoFollow, Want::kStatus, &wp, &r)) return -1;
  if (r.parent < 0 || S_ISDIR(r.st.st_mode) || IsReadOnly(r.st)) {
    errno = EACCES;
    return -1;
  }
  return Sys().unlinkat(r.parent, r.name.c_str(), 0) == 0 ? 0 : -1;
}

int _utime(const char* path, struct _utimbuf* times) {
  WinPath wp;
  Resolved r;
  if (!ResolveExisting(path, FinalLink::kFollow, Want::kDescriptor, &wp, &r)) return -1;
  if (IsReadOnly(r.st) && !S_ISDIR(r.st.st_mode)) {
    errno = EACCES;
    return -1;
  }
  struct timespec ts[2];
  if (times) {
    ts[0] = {times->actime, 0};
    ts[1] = {times->modtime, 0};
  } else {
    ts[0].tv_nsec = ts[1].tv_nsec = UTIME_NOW;
  }
  return Sys().utimensat(AT_FDCWD, ProcFdPath(r.self).c_str(), ts, 0) == 0 ? 0 : -1;
}

int _mkdir(const char* path) {
  WinPath wp;
  Resolved r;
  if (!ParseWinPath(path, PathUse::kName, &wp) ||
      !ResolvePath(wp, FinalLink::kNoFollow, Want::kStatus, &r)) {
    return -1;
  }
  if (r.exists) {
    errno = EEXIST;
    return -1;
  }
  return Sys().mkdirat(r.parent, r.name.c_str(), 0777) == 0 ? 0 : -1;
}

int _rmdir(const char* path) {
  WinPath wp;
  Resolved r;
  if (!ResolveExisting(path, FinalLink::kNoFollow, Want::kStatus, &wp, &r)) return -1;
  if (!S_ISDIR(r.st.st_mode)) {
    errno = ENOTDIR;
    return -1;
  }
  if (r.parent < 0 || IsReadOnly(r.st)) {
    errno = EACCES;
    return -1;
  }
  if (Sys().unlinkat(r.parent, r.name.c_str(), AT_REMOVEDIR) == 0) return 0;
  if (errno == EEXIST) errno = ENOTEMPTY;
  return -1;
}

DWORD GetFileAttributes(LPCSTR path) {
  WinPath wp;
  Resolved r;
  if (!ResolveExisting(path, FinalLink::kFollow, Want::kStatus, &wp, &r)) {
    FailWithLastError();
    return INVALID_FILE_ATTRIBUTES;
  }
  return WindowsAttributes(r.st, r.isRoot ? "" : r.name);
}

// Makes the file read-only (no write bit) or gives back the owner's write
// bit and the group's and others' as far as the umask lets them have it.
static bool SetReadOnly(const Resolved& r, bool readOnly) {
  mode_t mode = r.st.st_mode & 07777;
  if (readOnly) {
    mode &= ~(mode_t)0222;
  } else if (IsReadOnly(r.st)) {
    mode |= S_IWUSR | (0022 & ~CurrentUmask());
  }
  if (mode == (r.st.st_mode & 07777)) return true;
  return Sys().fchmodat(AT_FDCWD, ProcFdPath(r.self).c_str(), mode, 0) == 0;
}

int _chmod(const char* path, int pmode) {
  WinPath wp;
  Resolved r;
  if (!ResolveExisting(path, FinalLink::kFollow, Want::kDescriptor, &wp, &r)) return -1;
  return SetReadOnly(r, !(pmode & _S_IWRITE)) ? 0 : -1;
}

BOOL SetFileAttributes(LPCSTR path, DWORD attributes) {
  WinPath wp;
  Resolved r;
  if (!ResolveExisting(path, FinalLink::kFollow, Want::kDescriptor, &wp, &r) ||
      !SetReadOnly(r, attributes & FILE_ATTRIBUTE_READONLY)) {
    return FailWithLastError();
  }
  return TRUE;
}

// A file moved to another file system is copied (contents, permission bits,
// times) and then deleted, as Windows moves files between volumes.
static bool CopyAcross(const Resolved& src, int dstDir, const std::string& target) {
  UniqueFd in(ReopenFd(src.self, O_RDONLY));
  if (!in.Valid()) return false;
  UniqueFd out(Sys().openat(dstDir, target.c_str(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!out.Valid()) return false;
  bool ok = true;
  char buf[65536];
  for (;;) {
    ssize_t n = Sys().read(in.Get(), buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    for (ssize_t done = 0; ok && done < n;) {
      ssize_t w = Sys().write(out.Get(), buf + done, (size_t)(n - done));
      if (w < 0 && errno == EINTR) continue;
      ok = w > 0;
      done += w > 0 ? w : 0;
    }
    if (!ok) break;
  }
  struct timespec times[2] = {src.st.st_atim, src.st.st_mtim};
  ok = ok && Sys().fchmod(out.Get(), src.st.st_mode & 07777) == 0 &&
       Sys().futimens(out.Get(), times) == 0 && Sys().fdatasync(out.Get()) == 0;
  if (!ok) {
    Sys().unlinkat(dstDir, target.c_str(), 0);
    return false;
  }
  return true;
}

BOOL MoveFile(LPCSTR from, LPCSTR to) {
  return MoveFileEx(from, to, 0);
}

BOOL MoveFileEx(LPCSTR from, LPCSTR to, DWORD flags) {
  WinPath fromPath, toPath;
  Resolved src, dst;
  if (!ResolveExisting(from, FinalLink::kNoFollow, Want::kDescriptor, &fromPath, &src))
    return FailWithLastError();
  if (!ParseWinPath(to, PathUse::kName, &toPath) ||
      !ResolvePath(toPath, FinalLink::kNoFollow, Want::kStatus, &dst)) {
    return FailWithLastError();
  }
  if (src.parent < 0 || (dst.exists && dst.parent < 0)) {
    errno = EACCES;
    return FailWithLastError();
  }
  std::string target = dst.name;
  unsigned renameFlags = RENAME_NOREPLACE;
  bool sameFile = dst.exists && dst.st.st_dev == src.st.st_dev && dst.st.st_ino == src.st.st_ino;
  if (dst.exists && sameFile) {
    // Only a new spelling of the same name may "exist" already: the target
    // then keeps the caller's spelling.
    target = toPath.parts.back();
    if (target == dst.name) {
      errno = EEXIST;
      return FailWithLastError();
    }
  } else if (dst.exists) {
    if (!(flags & MOVEFILE_REPLACE_EXISTING)) {
      errno = EEXIST;
      return FailWithLastError();
    }
    // As on Windows: only a writable file gives way, and only to a file.
    if (!S_ISREG(dst.st.st_mode) || !(dst.st.st_mode & S_IWUSR) || S_ISDIR(src.st.st_mode)) {
      errno = EACCES;
      return FailWithLastError();
    }
    renameFlags = 0;
  }
  if (Sys().renameat2(src.parent, src.name.c_str(), dst.parent, target.c_str(), renameFlags) == 0) {
    return TRUE;
  }
  if (errno != EXDEV || !S_ISREG(src.st.st_mode)) return FailWithLastError();
  // A file that gives way is replaced only by a whole copy: the copy is made
  // beside it and renamed over it.
  std::string copy = target;
  if (renameFlags == 0) copy = ".move-" + std::to_string(getpid()) + ".tmp";
  if (!CopyAcross(src, dst.parent, copy)) return FailWithLastError();
  if (copy != target &&
      Sys().renameat2(dst.parent, copy.c_str(), dst.parent, target.c_str(), 0) != 0) {
    int error = errno;
    Sys().unlinkat(dst.parent, copy.c_str(), 0);
    errno = error;
    return FailWithLastError();
  }
  if (Sys().unlinkat(src.parent, src.name.c_str(), 0) != 0) return FailWithLastError();
  return TRUE;
}
