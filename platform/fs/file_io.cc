// _open/_sopen and the calls on open descriptors.
// Windows rules enforced here whatever the host allows: a read-only file is
// never opened for writing, directories are not opened as files, and share
// modes hold between all openers (share_lock.h).
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "fs/fd_table.h"
#include "fs/file_status.h"
#include "fs/resolver.h"
#include "fs/share_lock.h"
#include "fs/sys_calls.h"
#include "fs/win_path.h"
#include "platform/io.h"

using namespace plat::fs;

namespace {

constexpr int kResolveAttempts = 4;

int HostAccess(int access) {
  switch (access) {
    case _O_WRONLY:
      return O_WRONLY;
    case _O_RDWR:
      return O_RDWR;
    default:
      return O_RDONLY;
  }
}

// Opens the resolved file; -1 with errno, or -2 when the name changed under
// us (created or replaced meanwhile) and resolution should be repeated.
int OpenResolved(Resolved& r, int oflag, int pmode, bool* created) {
  int access = oflag & 3;
  bool writes = access != _O_RDONLY;
  int hostFlags = HostAccess(access) | O_CLOEXEC | O_NOCTTY;
  if (oflag & _O_APPEND) hostFlags |= O_APPEND;
  *created = false;
  if (r.exists) {
    if ((oflag & _O_CREAT) && (oflag & _O_EXCL)) {
      errno = EEXIST;
      return -1;
    }
    if (!S_ISREG(r.st.st_mode) || (writes && IsReadOnly(r.st))) {
      errno = EACCES;
      return -1;
    }
    return ReopenFd(r.self, hostFlags);
  }
  if (!(oflag & _O_CREAT)) {
    errno = ENOENT;
    return -1;
  }
  mode_t mode = (pmode & _S_IWRITE) ? 0666 : 0444;
  int fd = Sys().openat(r.parent, r.name.c_str(), hostFlags | O_CREAT | O_EXCL | O_NOFOLLOW, mode);
  if (fd < 0 && errno == EEXIST && !(oflag & _O_EXCL)) return -2;
  *created = fd >= 0;
  return fd;
}

// What an opened file must pass before the caller gets it: a regular file,
// the share mode, the truncation asked for.
bool Settle(int fd, int oflag, int shflag, bool created) {
  struct stat st;
  time_t birth;
  if (!StatusOf(fd, &st, &birth)) return false;
  if (!S_ISREG(st.st_mode)) {
    errno = EACCES;
    return false;
  }
  if (!AcquireShareMode(fd, oflag & 3, shflag)) return false;
  return !(oflag & _O_TRUNC) || created || Sys().ftruncate(fd, 0) == 0;
}

int OpenFile(const char* path, int oflag, int shflag, int pmode) {
  int access = oflag & 3;
  bool shareOk =
      shflag == _SH_DENYRW || shflag == _SH_DENYWR || shflag == _SH_DENYRD || shflag == _SH_DENYNO;
  if (access == 3 || !shareOk || ((oflag & _O_TRUNC) && access == _O_RDONLY) ||
      ((oflag & _O_TEXT) && (oflag & _O_BINARY))) {
    errno = EINVAL;
    return -1;
  }
  WinPath wp;
  if (!ParseWinPath(path, PathUse::kName, &wp)) return -1;
  for (int attempt = 0; attempt < kResolveAttempts; ++attempt) {
    Resolved r;
    if (!ResolvePath(wp, FinalLink::kFollow, Want::kDescriptor, &r)) return -1;
    if (r.parent < 0) {  // the drive's root or the anchor: a directory
      errno = EACCES;
      return -1;
    }
    bool created = false;
    int raw = OpenResolved(r, oflag, pmode, &created);
    if (raw == -2) continue;
    if (raw < 0) return -1;
    UniqueFd fd(raw);
    if (!Settle(fd.Get(), oflag, shflag, created)) {
      // A file this call created goes again, so a failure leaves nothing behind.
      if (created) Sys().unlinkat(r.parent, r.name.c_str(), 0);
      return -1;
    }
    FdInfo info;
    info.text = (oflag & _O_TEXT) != 0;
    info.drive = wp.drive;
    info.name = wp.parts.back();
    RememberFd(fd.Get(), std::move(info));
    return fd.Release();
  }
  errno = ELOOP;
  return -1;
}

// Turns "\r\n" into "\n" in place; a "\r" at the end of the block looks at
// the next byte on disk and takes the "\n" with it when there is one.
int TextRead(int fd, char* buf, ssize_t n) {
  ssize_t out = 0;
  for (ssize_t i = 0; i < n; ++i) {
    char c = buf[i];
    if (c == '\r') {
      if (i + 1 < n) {
        if (buf[i + 1] == '\n') {
          c = '\n';
          ++i;
        }
      } else {
        off_t pos = lseek(fd, 0, SEEK_CUR);
        char next;
        if (pos >= 0 && Sys().pread(fd, &next, 1, pos) == 1 && next == '\n') {
          lseek(fd, 1, SEEK_CUR);
          c = '\n';
        }
      }
    }
    buf[out++] = c;
  }
  return (int)out;
}

bool WriteAll(int fd, const char* data, size_t size, size_t* written) {
  *written = 0;
  while (*written < size) {
    ssize_t n = Sys().write(fd, data + *written, size - *written);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = ENOSPC;
      return false;
    }
    *written += (size_t)n;
  }
  return true;
}

// Writes with "\n" as "\r\n"; returns the caller's bytes that reached the disk.
int TextWrite(int fd, const char* src, unsigned count) {
  constexpr unsigned kChunk = 4096;
  std::vector<char> out;
  unsigned done = 0;
  while (done < count) {
    unsigned take = count - done < kChunk ? count - done : kChunk;
    out.clear();
    for (unsigned i = 0; i < take; ++i) {
      if (src[done + i] == '\n') out.push_back('\r');
      out.push_back(src[done + i]);
    }
    size_t written = 0;
    if (!WriteAll(fd, out.data(), out.size(), &written)) {
      size_t used = 0;
      for (unsigned i = 0; i < take; ++i) {
        used += src[done + i] == '\n' ? 2 : 1;
        if (used > written) break;
        ++done;
      }
      return done > 0 ? (int)done : -1;
    }
    done += take;
  }
  return (int)done;
}

bool Writable(int fd) {
  int flags = fcntl(fd, F_GETFL);
  if (flags < 0) return false;
  if ((flags & O_ACCMODE) == O_RDONLY) {
    errno = EACCES;
    return false;
  }
  return true;
}

}  // namespace

int _open(const char* path, int oflag, int pmode) {
  return OpenFile(path, oflag, _SH_DENYNO, pmode);
}

int _sopen(const char* path, int oflag, int shflag, int pmode) {
  return OpenFile(path, oflag, shflag, pmode);
}

int _close(int fd) {
  ForgetFd(fd);
  return close(fd) == 0 ? 0 : -1;
}

int _read(int fd, void* buffer, unsigned int count) {
  if (count > INT_MAX) count = INT_MAX;
  ssize_t n;
  do {
    n = Sys().read(fd, buffer, count);
  } while (n < 0 && errno == EINTR);
  if (n <= 0 || !LookupFd(fd).text) return (int)n;
  return TextRead(fd, static_cast<char*>(buffer), n);
}

int _write(int fd, const void* buffer, unsigned int count) {
  if (count > INT_MAX) count = INT_MAX;
  const char* data = static_cast<const char*>(buffer);
  if (LookupFd(fd).text) return TextWrite(fd, data, count);
  size_t written = 0;
  if (!WriteAll(fd, data, count, &written) && written == 0) return -1;
  return (int)written;
}

long _lseek(int fd, long offset, int origin) {
  return (long)lseek(fd, offset, origin);
}

long _tell(int fd) {
  return (long)lseek(fd, 0, SEEK_CUR);
}

int _chsize(int fd, long size) {
  if (size < 0) {
    errno = EINVAL;
    return -1;
  }
  if (!Writable(fd)) return -1;
  return Sys().ftruncate(fd, size) == 0 ? 0 : -1;
}

int _commit(int fd) {
  return Sys().fdatasync(fd) == 0 ? 0 : -1;
}

int _fstat(int fd, struct _stat* status) {
  struct stat st;
  time_t created;
  if (!status) {
    errno = EINVAL;
    return -1;
  }
  if (!StatusOf(fd, &st, &created)) return -1;
  FdInfo info = LookupFd(fd);
  MakeWindowsStatus(st, created, info.name, info.drive, false, status);
  return 0;
}

int _futime(int fd, struct _utimbuf* times) {
  struct timespec ts[2];
  if (times) {
    ts[0] = {times->actime, 0};
    ts[1] = {times->modtime, 0};
  } else {
    ts[0].tv_nsec = ts[1].tv_nsec = UTIME_NOW;
  }
  return Sys().futimens(fd, ts) == 0 ? 0 : -1;
}
