// Drive letters to host directories, and the current drive and directories.
// Every drive directory is kept twice: as configured and canonical (realpath),
// so host paths of either spelling map back to their drive.
#include "fs/drive_map.h"

#include <errno.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <array>
#include <mutex>
#include <optional>

#include "fs/sys_calls.h"
#include "fs/unique_fd.h"

namespace plat::fs {
namespace {

struct Drive {
  bool mapped = false;
  std::string dir;        // as configured, no trailing "/" except for "/"
  std::string canonical;  // realpath of dir, or dir when it does not exist
  std::vector<std::string> cwd;
  UniqueFd root;  // the directory held open from its first use
};

struct DriveState {
  bool loaded = false;
  int current = kDriveC;
  std::array<Drive, kDriveCount> drives;
};

std::mutex stateMutex;
DriveState state;

std::string TrimDir(std::string dir) {
  while (dir.size() > 1 && dir.back() == '/')
    dir.pop_back();
  return dir;
}

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return "";
  size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

void MapDrive(Drive* d, const std::string& dir) {
  d->mapped = true;
  d->dir = TrimDir(dir);
  char buf[PATH_MAX];
  d->canonical = realpath(d->dir.c_str(), buf) ? std::string(buf) : d->dir;
  d->cwd.clear();
  d->root.Reset();
}

// Splits hostPath below base into components, or nullopt when it is not below.
std::optional<std::vector<std::string>> Below(const std::string& base, const std::string& path) {
  if (path.compare(0, base.size(), base) != 0) return std::nullopt;
  std::string rest = path.substr(base.size());
  if (base != "/" && !rest.empty() && rest[0] != '/') return std::nullopt;
  std::vector<std::string> parts;
  size_t i = 0;
  while (i < rest.size()) {
    size_t j = rest.find('/', i);
    if (j == std::string::npos) j = rest.size();
    if (j > i) parts.push_back(rest.substr(i, j - i));
    i = j + 1;
  }
  return parts;
}

int LongestMatch(const std::string& hostPath, std::vector<std::string>* rest);

// The host's current directory becomes the starting directory when a drive
// holds it, as a process inherits its current directory on Windows.
void InheritHostCwd() {
  char buf[PATH_MAX];
  if (!getcwd(buf, sizeof buf)) return;
  std::vector<std::string> parts;
  int drive = LongestMatch(buf, &parts);
  if (drive < 0) return;
  state.current = drive;
  state.drives[drive].cwd = parts;
}

void LoadLocked() {
  if (state.loaded) return;
  state = DriveState{};
  state.loaded = true;
  MapDrive(&state.drives[kDriveC], "/");
  if (const char* env = getenv("PLATFORM_DRIVES")) {
    std::string mapping = env;
    size_t i = 0;
    while (i <= mapping.size()) {
      size_t j = mapping.find(';', i);
      if (j == std::string::npos) j = mapping.size();
      std::string item = Trim(mapping.substr(i, j - i));
      i = j + 1;
      size_t eq = item.find('=');
      if (eq == std::string::npos) continue;
      std::string letter = Trim(item.substr(0, eq));
      std::string dir = Trim(item.substr(eq + 1));
      if (letter.size() != 1 || dir.empty() || dir[0] != '/') continue;
      char c = letter[0] | 0x20;
      if (c < 'a' || c > 'z') continue;
      MapDrive(&state.drives[c - 'a'], dir);
    }
  }
  InheritHostCwd();
}

int LongestMatch(const std::string& hostPath, std::vector<std::string>* rest) {
  int best = -1;
  size_t bestLen = 0;
  for (int d = 0; d < kDriveCount; ++d) {
    const Drive& drive = state.drives[d];
    if (!drive.mapped) continue;
    for (const std::string* base : {&drive.canonical, &drive.dir}) {
      auto parts = Below(*base, hostPath);
      if (parts && (best < 0 || base->size() > bestLen)) {
        best = d;
        bestLen = base->size();
        *rest = std::move(*parts);
      }
    }
  }
  return best;
}

}  // namespace

bool DriveHostDir(int drive, std::string* dir) {
  std::lock_guard lock(stateMutex);
  LoadLocked();
  if (drive < 0 || drive >= kDriveCount || !state.drives[drive].mapped) {
    errno = ENOENT;
    return false;
  }
  *dir = state.drives[drive].canonical;
  return true;
}

int DriveRootFd(int drive) {
  std::lock_guard lock(stateMutex);
  LoadLocked();
  if (drive < 0 || drive >= kDriveCount || !state.drives[drive].mapped) {
    errno = ENOENT;
    return -1;
  }
  Drive& d = state.drives[drive];
  if (!d.root.Valid()) {
    d.root.Reset(Sys().openat(AT_FDCWD, d.canonical.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC, 0));
  }
  return d.root.Get();
}

bool DriveOfHostPath(const std::string& hostPath, int* drive, std::vector<std::string>* rest) {
  std::lock_guard lock(stateMutex);
  LoadLocked();
  *drive = LongestMatch(hostPath, rest);
  return *drive >= 0;
}

int CurrentDrive() {
  std::lock_guard lock(stateMutex);
  LoadLocked();
  return state.current;
}

bool SetCurrentDrive(int drive) {
  std::lock_guard lock(stateMutex);
  LoadLocked();
  if (drive < 0 || drive >= kDriveCount || !state.drives[drive].mapped) {
    errno = ENOENT;
    return false;
  }
  state.current = drive;
  return true;
}

std::vector<std::string> CurrentDir(int drive) {
  std::lock_guard lock(stateMutex);
  LoadLocked();
  if (drive < 0 || drive >= kDriveCount) return {};
  return state.drives[drive].cwd;
}

void SetCurrentDir(int drive, std::vector<std::string> parts) {
  std::lock_guard lock(stateMutex);
  LoadLocked();
  if (drive >= 0 && drive < kDriveCount) state.drives[drive].cwd = std::move(parts);
}

void ResetDriveStateForTests() {
  std::lock_guard lock(stateMutex);
  state.loaded = false;
}

}  // namespace plat::fs
