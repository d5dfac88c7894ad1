// Class names become directory names in hexadecimal of their lower-case form, so
// any class name is safe on disk and matches without regard to case. Everything
// is reached from the desktop's descriptor, and entries are never followed as
// links. A search asks each owning process once, however many entries it left.
// The last window found for a class is remembered: while its entry stands and
// its owner's endpoint answers, the next search for that class costs a status
// call and that probe, not a directory scan and a probe of every owner, and
// within kTrustMs of the last check nothing at all (a program that reports
// each line to a window it finds anew would otherwise spend most of its time
// here). A window found can be gone the moment after in any case; a send to
// it then fails as it would have anyway.
#include "ipc/window_registry.h"

#include <ctype.h>
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <sys/stat.h>
#include <time.h>

#include <map>
#include <string>

#include "ipc/desktop.h"
#include "ipc/system_calls.h"

namespace plat::ipc {

namespace {

std::map<HWND, std::string> published;  // this process's entries, to withdraw them

std::string ClassDirectory(const char* className) {
  std::string dir = "windows/";
  char hex[3];
  for (const char* p = className; *p; ++p) {
    snprintf(hex, sizeof hex, "%02x", (unsigned)(unsigned char)tolower((unsigned char)*p));
    dir += hex;
  }
  return dir;
}

std::string EntryName(HWND hwnd) {
  char name[20];
  snprintf(name, sizeof name, "%016llx", (unsigned long long)(uintptr_t)hwnd);
  return name;
}

bool ParseEntry(const char* name, HWND* hwnd) {
  char* end = nullptr;
  errno = 0;
  unsigned long long value = strtoull(name, &end, 16);
  if (errno || !end || *end || value == 0) return false;
  *hwnd = (HWND)(uintptr_t)value;
  return true;
}

constexpr uint64_t kTrustMs = 20;

struct FoundWindow {
  HWND hwnd;
  std::string entry;  // its path below the desktop
  uint64_t checkedMs;
};

uint64_t NowMs() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return (uint64_t)now.tv_sec * 1000 + (uint64_t)now.tv_nsec / 1000000;
}
constexpr size_t kRememberedClasses = 8;
std::map<std::string, FoundWindow> remembered;  // by class directory

bool StillThere(FoundWindow* found) {
  uint64_t now = NowMs();
  if (now - found->checkedMs < kTrustMs) return true;
  struct stat st;
  if (Sys().fstatat(DesktopFd(), found->entry.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
      !EndpointAlive(OwnerOf(found->hwnd)))
    return false;
  found->checkedMs = now;
  return true;
}

void Remember(const std::string& dir, HWND hwnd) {
  if (remembered.size() >= kRememberedClasses) remembered.erase(remembered.begin());
  remembered[dir] = {hwnd, dir + "/" + EntryName(hwnd), NowMs()};
}

// A directory under the desktop, as a stream of entries (nullptr when missing).
DIR* OpenDirectory(const std::string& relative, int* fd) {
  *fd = Sys().openat(DesktopFd(), relative.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC,
                     0);
  if (*fd < 0) return nullptr;
  DIR* dir = fdopendir(*fd);
  if (!dir) Sys().close(*fd);
  return dir;
}

}  // namespace

pid_t OwnerOf(HWND hwnd) {
  return (pid_t)((uint64_t)(uintptr_t)hwnd >> 32);
}

bool OpenWindowRegistry() {
  const SystemCalls& sys = Sys();
  if (sys.mkdirat(DesktopFd(), "windows", 0700) != 0 && errno != EEXIST) return false;
  int rootFd;
  DIR* classes = OpenDirectory("windows", &rootFd);
  if (!classes) return false;
  // A former process with this pid may have died with windows still published.
  pid_t self = getpid();
  while (dirent* c = readdir(classes)) {
    if (c->d_name[0] == '.') continue;
    int classFd;
    if (DIR* entries = OpenDirectory(std::string("windows/") + c->d_name, &classFd)) {
      while (dirent* e = readdir(entries)) {
        HWND hwnd;
        if (ParseEntry(e->d_name, &hwnd) && OwnerOf(hwnd) == self)
          sys.unlinkat(classFd, e->d_name, 0);
      }
      closedir(entries);
    }
  }
  closedir(classes);
  return true;
}

void PublishWindow(HWND hwnd, const char* className) {
  std::string dir = ClassDirectory(className);
  Sys().mkdirat(DesktopFd(), dir.c_str(), 0700);
  std::string path = dir + "/" + EntryName(hwnd);
  int fd =
      Sys().openat(DesktopFd(), path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd >= 0) Sys().close(fd);
  published[hwnd] = path;
}

void WithdrawWindow(HWND hwnd) {
  auto it = published.find(hwnd);
  if (it == published.end()) return;
  Sys().unlinkat(DesktopFd(), it->second.c_str(), 0);
  published.erase(it);
}

HWND FindPublishedWindow(const char* className, const std::function<bool(HWND)>& wanted) {
  if (!className || DesktopFd() < 0) return nullptr;
  std::string dir = ClassDirectory(className);
  auto cached = remembered.find(dir);
  if (cached != remembered.end()) {
    HWND hwnd = cached->second.hwnd;
    // wanted may ask the window's owner and serve messages while it waits, and
    // what they do may change what is remembered: no iterator outlives it.
    if (StillThere(&cached->second) && wanted(hwnd)) return hwnd;
    remembered.erase(dir);
  }
  int dirFd;
  DIR* entries = OpenDirectory(dir, &dirFd);
  if (!entries) return nullptr;
  std::map<pid_t, bool> alive;
  pid_t self = getpid();
  HWND found = nullptr;
  while (dirent* e = readdir(entries)) {
    HWND hwnd;
    if (!ParseEntry(e->d_name, &hwnd) || OwnerOf(hwnd) == self) continue;
    auto known = alive.find(OwnerOf(hwnd));
    if (known == alive.end())
      known = alive.emplace(OwnerOf(hwnd), EndpointAlive(OwnerOf(hwnd))).first;
    if (!known->second) {
      Sys().unlinkat(dirFd, e->d_name, 0);
      continue;
    }
    if (wanted(hwnd)) {
      found = hwnd;
      break;
    }
  }
  closedir(entries);
  if (found) Remember(dir, found);
  return found;
}

}  // namespace plat::ipc
