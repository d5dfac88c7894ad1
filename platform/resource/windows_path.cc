// Resolution one component at a time with a directory scan for the case-blind
// match; only absolute paths (with or without a drive letter) are accepted.
#include "resource/windows_path.h"

#include <ctype.h>
#include <dirent.h>
#include <stdlib.h>
#include <strings.h>
#include <sys/stat.h>

#include <vector>

namespace plat::res {

namespace {

std::string DriveRoot(char letter) {
  letter = (char)tolower((unsigned char)letter);
  std::string root = letter == 'c' ? "/" : "";
  const char* map = getenv("PLATFORM_DRIVES");
  if (!map) return root;
  std::string spec = map;
  size_t at = 0;
  while (at < spec.size()) {
    size_t end = spec.find(';', at);
    if (end == std::string::npos) end = spec.size();
    std::string entry = spec.substr(at, end - at);
    if (entry.size() >= 3 && entry[1] == '=' && tolower((unsigned char)entry[0]) == letter)
      root = entry.substr(2);
    at = end + 1;
  }
  return root;
}

bool Exists(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

// The name in dir that matches component, exactly or else without regard to case.
bool MatchIn(const std::string& dir, const std::string& component, std::string* name) {
  if (Exists(dir + "/" + component)) {
    *name = component;
    return true;
  }
  DIR* d = opendir(dir.c_str());
  if (!d) return false;
  bool found = false;
  while (dirent* e = readdir(d)) {
    if (strcasecmp(e->d_name, component.c_str()) == 0) {
      *name = e->d_name;
      found = true;
      break;
    }
  }
  closedir(d);
  return found;
}

}  // namespace

bool HostPathOf(const char* windowsPath, std::string* hostPath) {
  if (!windowsPath) return false;
  std::string path = windowsPath;
  char drive = 'c';
  if (path.size() >= 2 && isalpha((unsigned char)path[0]) && path[1] == ':') {
    drive = path[0];
    path = path.substr(2);
  }
  if (path.empty() || (path[0] != '\\' && path[0] != '/')) return false;
  std::string root = DriveRoot(drive);
  if (root.empty()) return false;
  while (root.size() > 1 && root.back() == '/')
    root.pop_back();

  std::vector<std::string> parts;
  size_t at = 0;
  while (at <= path.size()) {
    size_t end = path.find_first_of("\\/", at);
    if (end == std::string::npos) end = path.size();
    std::string component = path.substr(at, end - at);
    if (component == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!component.empty() && component != ".") {
      parts.push_back(component);
    }
    at = end + 1;
  }
  std::string resolved = root == "/" ? "" : root;
  for (const std::string& component : parts) {
    std::string name;
    if (!MatchIn(resolved.empty() ? "/" : resolved, component, &name)) return false;
    resolved += "/" + name;
  }
  *hostPath = resolved.empty() ? "/" : resolved;
  return true;
}

}  // namespace plat::res
