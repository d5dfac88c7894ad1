// Reading and atomic replacement of INI files (see ini_store.h).
#include "profile/ini_store.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <unistd.h>

#include <random>
#include <vector>

#include "fs/file_status.h"
#include "fs/host_path.h"

namespace plat::profile {
namespace {

using plat::fs::UniqueFd;

constexpr size_t kTempDigits = 8;  // ".<name>.%08x" in the same directory

bool ReadAll(int fd, std::string* bytes) {
  bytes->clear();
  char buf[16384];
  for (;;) {
    ssize_t n = read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    bytes->append(buf, (size_t)n);
  }
}

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += (size_t)n;
  }
  return true;
}

}  // namespace

bool ReadIniFile(const char* fileName, std::string* bytes) {
  std::string host;
  bool exists = false;
  bytes->clear();
  if (!plat::fs::ResolveHostPath(fileName, &host, &exists)) return false;
  if (!exists) return true;
  UniqueFd fd(open(host.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
  if (!fd.Valid()) return errno == ENOENT;
  return ReadAll(fd.Get(), bytes);
}

IniWriteLock::IniWriteLock(const char* fileName) {
  std::string host;
  bool exists = false;
  if (!plat::fs::ResolveHostPath(fileName, &host, &exists)) return;
  size_t slash = host.rfind('/');
  std::string dir = slash == 0 ? "/" : host.substr(0, slash);
  name_ = host.substr(slash + 1);
  dir_.Reset(open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!dir_.Valid()) return;
  int rc;
  do {
    rc = flock(dir_.Get(), LOCK_EX);
  } while (rc != 0 && errno == EINTR);
  ok_ = rc == 0;
  if (ok_) RemoveStaleTemporaries();
}

// Under the lock no other writer is busy here, so any temporary file of ours
// is what a writer killed before its rename left behind.
void IniWriteLock::RemoveStaleTemporaries() {
  UniqueFd listFd(openat(dir_.Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  DIR* dir = listFd.Valid() ? fdopendir(listFd.Get()) : nullptr;
  if (!dir) return;
  listFd.Release();
  std::string prefix = "." + name_ + ".";
  std::vector<std::string> stale;
  while (dirent* e = readdir(dir)) {
    std::string entry = e->d_name;
    if (entry.size() == prefix.size() + kTempDigits &&
        entry.compare(0, prefix.size(), prefix) == 0 &&
        entry.find_first_not_of("0123456789abcdef", prefix.size()) == std::string::npos) {
      stale.push_back(entry);
    }
  }
  closedir(dir);
  for (const std::string& entry : stale)
    unlinkat(dir_.Get(), entry.c_str(), 0);
}

bool IniWriteLock::Read(std::string* bytes, bool* exists) {
  bytes->clear();
  UniqueFd fd(openat(dir_.Get(), name_.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
  exists_ = fd.Valid();
  *exists = exists_;
  if (!fd.Valid()) return errno == ENOENT;
  if (fstat(fd.Get(), &st_) != 0) return false;
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
    fd.Reset(openat(dir_.Get(), temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!fd.Valid() && errno != EEXIST) return false;
  }
  if (!fd.Valid()) return false;
  mode_t mode = exists_ ? (st_.st_mode & 07777) : (0666 & ~plat::fs::CurrentUmask());
  bool ok = WriteAll(fd.Get(), bytes) && fchmod(fd.Get(), mode) == 0;
  if (ok && exists_ && (st_.st_uid != geteuid() || st_.st_gid != getegid())) {
    (void)!fchown(fd.Get(), st_.st_uid, st_.st_gid);
  }
  ok = ok && fdatasync(fd.Get()) == 0;
  fd.Reset();
  ok = ok && renameat(dir_.Get(), temp.c_str(), dir_.Get(), name_.c_str()) == 0;
  if (!ok) {
    unlinkat(dir_.Get(), temp.c_str(), 0);
    return false;
  }
  fsync(dir_.Get());
  return true;
}

}  // namespace plat::profile
