// Folded-name maps of recently scanned directories, least recently used first
// to go, within a bound on directories and on names in all.
// A map is trusted whole only while the directory's mtime, ctime, size and
// link count are what they were before its scan, and the scan came later than
// kRacyWindow after the last change: time stamps are coarse (a clock tick, two
// seconds on FAT), so a change within the same stamp would go unseen. Any
// other map still offers its answer as a candidate, taken once a status call
// shows the name is still there: a directory that keeps changing (a client
// removing its names one by one) then costs no scan per look-up. A name the
// map lacks means a scan.
#include "fs/name_cache.h"
#include "fs/win_path.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <time.h>

#include <list>
#include <mutex>
#include <unordered_map>

#include "fs/dir_reader.h"
#include "fs/sys_calls.h"

namespace plat::fs {
namespace {

constexpr size_t kMaxDirs = 64;
constexpr size_t kMaxNames = 262144;
constexpr long long kRacyWindowNs = 2'000'000'000LL;

struct DirId {
  uint64_t dev;
  uint64_t ino;
  bool operator==(const DirId&) const = default;
};

struct DirIdHash {
  size_t operator()(const DirId& id) const { return std::hash<uint64_t>()(id.ino * 31 + id.dev); }
};

struct Stamp {
  long long mtime;
  long long ctime;
  uint64_t size;
  uint32_t nlink;
  bool operator==(const Stamp&) const = default;
};

struct Scanned {
  Stamp stamp;
  bool settled;
  std::unordered_map<std::string, std::string> names;  // folded -> smallest actual
  std::list<DirId>::iterator age;
};

std::mutex cacheMutex;
std::unordered_map<DirId, Scanned, DirIdHash> cache;
std::list<DirId> ages;  // most recently used first
size_t cachedNames = 0;

long long Nanoseconds(const struct statx_timestamp& t) {
  return t.tv_sec * 1'000'000'000LL + t.tv_nsec;
}

std::string Fold(std::string_view name) {
  std::string folded(name);
  for (char& c : folded)
    c = FoldCase(c);
  return folded;
}

void Drop(std::unordered_map<DirId, Scanned, DirIdHash>::iterator it) {
  cachedNames -= it->second.names.size();
  ages.erase(it->second.age);
  cache.erase(it);
}

void Keep(const DirId& id, Scanned scanned) {
  while (!ages.empty() &&
         (cache.size() >= kMaxDirs || cachedNames + scanned.names.size() > kMaxNames)) {
    Drop(cache.find(ages.back()));
  }
  ages.push_front(id);
  scanned.age = ages.begin();
  cachedNames += scanned.names.size();
  cache.emplace(id, std::move(scanned));
}

// Lists the directory once: the answer for folded, and the whole map unless
// it outgrows the bound.
bool Scan(int dirFd, const std::string& folded, std::string* best, bool* found, Scanned* scanned,
          bool* complete) {
  DirReader reader;
  if (!reader.Open(dirFd)) return false;
  *found = false;
  *complete = true;
  std::string_view name;
  while (reader.Next(&name)) {
    if (name == "." || name == "..") continue;
    std::string key = Fold(name);
    if (key == folded && (!*found || name < *best)) {
      *best = std::string(name);
      *found = true;
    }
    if (!*complete) continue;
    auto [it, added] = scanned->names.try_emplace(std::move(key), name);
    if (!added && name < it->second) it->second = std::string(name);
    if (scanned->names.size() > kMaxNames) {
      *complete = false;
      scanned->names.clear();
    }
  }
  return errno == 0;
}

}  // namespace

bool FindFoldedName(int dirFd, const std::string& name, std::string* actual) {
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  struct statx sx;
  if (Sys().statx(dirFd, "", AT_EMPTY_PATH, STATX_BASIC_STATS, &sx) != 0) return false;
  DirId id = {((uint64_t)sx.stx_dev_major << 32) | sx.stx_dev_minor, sx.stx_ino};
  Stamp stamp = {Nanoseconds(sx.stx_mtime), Nanoseconds(sx.stx_ctime), sx.stx_size, sx.stx_nlink};
  std::string folded = Fold(name);
  {
    std::lock_guard lock(cacheMutex);
    auto it = cache.find(id);
    if (it != cache.end()) {
      ages.splice(ages.begin(), ages, it->second.age);
      auto match = it->second.names.find(folded);
      if (it->second.settled && it->second.stamp == stamp) {
        if (match == it->second.names.end()) {
          errno = ENOENT;
          return false;
        }
        *actual = match->second;
        return true;
      }
      struct statx entry;
      if (match != it->second.names.end() &&
          Sys().statx(dirFd, match->second.c_str(), AT_SYMLINK_NOFOLLOW, 0, &entry) == 0) {
        *actual = match->second;
        return true;
      }
      Drop(it);
    }
  }

  Scanned scanned;
  scanned.stamp = stamp;
  bool found = false, complete = false;
  if (!Scan(dirFd, folded, actual, &found, &scanned, &complete)) return false;
  long long scanStart = now.tv_sec * 1'000'000'000LL + now.tv_nsec;
  scanned.settled =
      stamp.mtime < scanStart - kRacyWindowNs && stamp.ctime < scanStart - kRacyWindowNs;
  if (complete) {
    std::lock_guard lock(cacheMutex);
    if (cache.find(id) == cache.end()) Keep(id, std::move(scanned));
  }
  if (!found) errno = ENOENT;
  return found;
}

void ForgetFoldedNames() {
  std::lock_guard lock(cacheMutex);
  cache.clear();
  ages.clear();
  cachedNames = 0;
}

}  // namespace plat::fs
