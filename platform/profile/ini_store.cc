// Reading and atomic replacement of INI files (see ini_store.h).
#include "profile/ini_store.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <unistd.h>

#include <random>
#include <vector>

#include "fs/dir_reader.h"
#include "fs/file_status.h"
#include "fs/resolver.h"
#include "fs/sys_calls.h"
#include "fs/win_path.h"

namespace plat::profile {
namespace {

using namespace plat::fs;

constexpr size_t kTempDigits = 8;  // ".<name>.%08x" in the same directory

bool ReadAll(int fd, std::string* bytes) {
  bytes->clear();
  char buf[16384];
  for (;;) {
    ssize_t n = Sys().read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    bytes->append(buf, (size_t)n);
  }
}

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = Sys().write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) errno = ENOSPC;
    if (n <= 0) return false;
    done += (size_t)n;
  }
  return true;
}

bool Resolve(const char* fileName, Want want, Resolved* r) {
  WinPath wp;
  return ParseWinPath(fileName, PathUse::kName, &wp) &&
         ResolvePath(wp, FinalLink::kFollow, want, r);
}

}  // namespace

bool ReadIniFile(const char* fileName, std::string* bytes) {
  Resolved r;
  bytes->clear();
  if (!Resolve(fileName, Want::kDescriptor, &r)) return false;
  if (!r.exists) return true;
  if (!S_ISREG(r.st.st_mode)) {
    errno = EACCES;
    return false;
  }
  UniqueFd fd(ReopenFd(r.self, O_RDONLY));
  return fd.Valid() && ReadAll(fd.Get(), bytes);
}

IniWriteLock::IniWriteLock(const char* fileName) {
  Resolved r;
  if (!Resolve(fileName, Want::kStatus, &r)) return;
  if (r.parent < 0) {  // a drive's root or the anchor: a directory
    errno = EACCES;
    return;
  }
  name_ = r.name;
  dir_.Reset(Sys().openat(r.parent, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0));
  if (!dir_.Valid()) return;
  int rc;
  do {
    rc = Sys().flock(dir_.Get(), LOCK_EX);
  } while (rc != 0 && errno == EINTR);
  ok_ = rc == 0;
  if (ok_) RemoveStaleTemporaries();
}

// Under the lock no other writer is busy here, so any temporary file of ours
// is what a writer killed before its rename left behind.
void IniWriteLock::RemoveStaleTemporaries() {
  DirReader reader;
  if (!reader.Open(dir_.Get())) return;
  std::string prefix = "." + name_ + ".";
  std::vector<std::string> stale;
  std::string_view entry;
  while (reader.Next(&entry)) {
    if (entry.size() == prefix.size() + kTempDigits && entry.substr(0, prefix.size()) == prefix &&
        entry.find_first_not_of("0123456789abcdef", prefix.size()) == std::string_view::npos) {
      stale.emplace_back(entry);
    }
  }
  for (const std::string& name : stale)
    Sys().unlinkat(dir_.Get(), name.c_str(), 0);
}

bool IniWriteLock::Read(std::string* bytes, bool* exists) {
  bytes->clear();
  // Opened by name in the held directory: whatever was swapped in there, the
  // open neither follows a link nor waits on a pipe, and the status decides.
  UniqueFd fd(Sys().openat(dir_.Get(), name_.c_str(),
                           O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0));
  exists_ = fd.Valid();
  *exists = exists_;
  if (!fd.Valid()) return errno == ENOENT;
  time_t created;
  if (!StatusOf(fd.Get(), &st_, &created)) return false;
  if (!S_ISREG(st_.st_mode)) {
    errno = EACCES;
    return false;
  }
  return ReadAll(fd.Get(), bytes);
}

bool IniWriteLock::Replace(const std::string& bytes) {
  if (exists_ && plat::fs::IsReadOnly(st_)) {
    errno = EACCES;
    return false;
  }
  std::random_device random;
  std::string temp;
  UniqueFd fd;
  for (int attempt = 0; attempt < 16 && !fd.Valid(); ++attempt) {
    char suffix[16];
    snprintf(suffix, sizeof suffix, ".%08x", (unsigned)random());
    temp = "." + name_ + suffix;
    fd.Reset(Sys().openat(dir_.Get(), temp.c_str(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!fd.Valid() && errno != EEXIST) return false;
  }
  if (!fd.Valid()) return false;
  mode_t mode = exists_ ? (st_.st_mode & 07777) : (0666 & ~plat::fs::CurrentUmask());
  bool ok = WriteAll(fd.Get(), bytes) && Sys().fchmod(fd.Get(), mode) == 0;
  if (ok && exists_ && (st_.st_uid != geteuid() || st_.st_gid != getegid())) {
    (void)!Sys().fchown(fd.Get(), st_.st_uid, st_.st_gid);
  }
  ok = ok && Sys().fdatasync(fd.Get()) == 0;
  fd.Reset();
  ok = ok && Sys().renameat2(dir_.Get(), temp.c_str(), dir_.Get(), name_.c_str(), 0) == 0;
  if (!ok) {
    Sys().unlinkat(dir_.Get(), temp.c_str(), 0);
    return false;
  }
  Sys().fsync(dir_.Get());
  return true;
}

}  // namespace plat::profile
