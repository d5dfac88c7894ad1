// Share-mode locks: see share_lock.h for the ranges and the protocol.
#include "fs/share_lock.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>

#include "fs/sys_calls.h"
#include "platform/io.h"

namespace plat::fs {
namespace {

constexpr off_t kBase = (off_t)1 << 62;
constexpr int kSlotBits = 40;  // pid (22 bits) and a counter (18 bits)
enum Range { kReads = 0, kWrites = 1, kDeniesRead = 2, kDeniesWrite = 3 };

off_t RangeStart(Range range) {
  return kBase + ((off_t)range << kSlotBits);
}

// A byte no other open description of any process claims: pids are unique
// among live processes and the counter among this process's descriptions.
off_t OwnSlot() {
  static std::atomic<uint32_t> counter{0};
  uint32_t n = counter.fetch_add(1) & ((1u << 18) - 1);
  return ((off_t)getpid() << 18) | n;
}

bool Held(int fd, Range range, bool* held) {
  struct flock fl {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = RangeStart(range);
  fl.l_len = (off_t)1 << kSlotBits;
  if (Sys().lockctl(fd, F_OFD_GETLK, &fl) != 0) return false;
  *held = fl.l_type != F_UNLCK;
  return true;
}

bool Claim(int fd, Range range, short type, off_t slot) {
  struct flock fl {};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = RangeStart(range) + slot;
  fl.l_len = 1;
  return Sys().lockctl(fd, F_OFD_SETLK, &fl) == 0;
}

class Gate {
 public:
  explicit Gate(int fd) : fd_(fd) {
    do {
      ok_ = Sys().flock(fd_, LOCK_EX) == 0;
    } while (!ok_ && errno == EINTR);
  }
  ~Gate() {
    if (ok_) {
      int saved = errno;
      flock(fd_, LOCK_UN);
      errno = saved;
    }
  }
  bool Ok() const { return ok_; }

 private:
  int fd_;
  bool ok_ = false;
};

}  // namespace

bool AcquireShareMode(int fd, int access, int share) {
  bool reads = access != _O_WRONLY;
  bool writes = access != _O_RDONLY;
  bool denyRead = share == _SH_DENYRW || share == _SH_DENYRD;
  bool denyWrite = share == _SH_DENYRW || share == _SH_DENYWR;
  // A lock's type must match the description's access mode.
  short type = reads ? F_RDLCK : F_WRLCK;
  off_t slot = OwnSlot();

  Gate gate(fd);
  if (!gate.Ok()) return false;
  struct Need {
    bool wanted;
    Range range;
  };
  const Need probes[] = {
      {reads, kDeniesRead}, {writes, kDeniesWrite}, {denyRead, kReads}, {denyWrite, kWrites}};
  for (const Need& p : probes) {
    bool held = false;
    if (!p.wanted) continue;
    if (!Held(fd, p.range, &held)) return false;
    if (held) {
      errno = EACCES;
      return false;
    }
  }
  const Need claims[] = {
      {reads, kReads}, {writes, kWrites}, {denyRead, kDeniesRead}, {denyWrite, kDeniesWrite}};
  for (const Need& c : claims) {
    if (c.wanted && !Claim(fd, c.range, type, slot)) return false;
  }
  return true;
}

}  // namespace plat::fs
