// Class names become directory names in hexadecimal of their lower-case form, so
// any class name is safe on disk and matches without regard to case.
#include "ipc/window_registry.h"

#include <ctype.h>
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <string>

#include "ipc/desktop.h"

namespace plat::ipc {

namespace {

std::map<HWND, std::string> published;  // this process's entries, to withdraw them

std::string ClassDirectory(const char* className) {
  std::string dir = DesktopDir() + "/windows/";
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

}  // namespace

pid_t OwnerOf(HWND hwnd) {
  return (pid_t)((uint64_t)(uintptr_t)hwnd >> 32);
}

bool OpenWindowRegistry() {
  std::string root = DesktopDir() + "/windows";
  if (mkdir(root.c_str(), 0700) != 0 && errno != EEXIST) return false;
  // A former process with this pid may have died with windows still published.
  DIR* classes = opendir(root.c_str());
  if (!classes) return false;
  while (dirent* c = readdir(classes)) {
    if (c->d_name[0] == '.') continue;
    std::string dir = root + "/" + c->d_name;
    if (DIR* entries = opendir(dir.c_str())) {
      while (dirent* e = readdir(entries)) {
        HWND hwnd;
        if (ParseEntry(e->d_name, &hwnd) && OwnerOf(hwnd) == getpid())
          unlink((dir + "/" + e->d_name).c_str());
      }
      closedir(entries);
    }
  }
  closedir(classes);
  return true;
}

void PublishWindow(HWND hwnd, const char* className) {
  std::string dir = ClassDirectory(className);
  mkdir(dir.c_str(), 0700);
  std::string path = dir + "/" + EntryName(hwnd);
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  if (fd >= 0) close(fd);
  published[hwnd] = path;
}

void WithdrawWindow(HWND hwnd) {
  auto it = published.find(hwnd);
  if (it == published.end()) return;
  unlink(it->second.c_str());
  published.erase(it);
}

std::vector<HWND> FindPublishedWindows(const char* className) {
  std::vector<HWND> found;
  if (!className) return found;
  std::string dir = ClassDirectory(className);
  DIR* entries = opendir(dir.c_str());
  if (!entries) return found;
  while (dirent* e = readdir(entries)) {
    HWND hwnd;
    if (!ParseEntry(e->d_name, &hwnd) || OwnerOf(hwnd) == getpid()) continue;
    if (!EndpointAlive(OwnerOf(hwnd))) {
      unlink((dir + "/" + e->d_name).c_str());
      continue;
    }
    found.push_back(hwnd);
  }
  closedir(entries);
  return found;
}

}  // namespace plat::ipc
