// The program's module handle and file name. There is one module, the running
// program; its file is /proc/self/exe seen through the drive map.
#include <errno.h>
#include <limits.h>
#include <string.h>
#include <strings.h>
#include <unistd.h>

#include "fs/host_path.h"
#include "fs/last_error.h"
#include "platform/winbase.h"

using namespace plat::fs;

namespace {

char programModule;

HMODULE ProgramModule() {
  return reinterpret_cast<HMODULE>(&programModule);
}

bool ProgramHostPath(std::string* path) {
  char buf[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return false;
  path->assign(buf, (size_t)n);
  return true;
}

}  // namespace

HMODULE GetModuleHandle(LPCSTR moduleName) {
  if (!moduleName) return ProgramModule();
  std::string path;
  if (ProgramHostPath(&path)) {
    std::string base = path.substr(path.rfind('/') + 1);
    std::string given = moduleName;
    size_t cut = given.find_last_of("\\/");
    if (cut != std::string::npos) given = given.substr(cut + 1);
    if (strcasecmp(given.c_str(), base.c_str()) == 0 ||
        strcasecmp(given.c_str(), (base + ".exe").c_str()) == 0) {
      return ProgramModule();
    }
  }
  SetLastError(ERROR_FILE_NOT_FOUND);
  return nullptr;
}

DWORD GetModuleFileName(HMODULE module, LPSTR buffer, DWORD size) {
  if (module && module != ProgramModule()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  std::string host, win;
  if (!ProgramHostPath(&host) || !WindowsPathOf(host, &win)) return (DWORD)FailWithLastError();
  if (!buffer || size == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (win.size() + 1 > size) {
    memcpy(buffer, win.data(), size - 1);
    buffer[size - 1] = '\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  memcpy(buffer, win.c_str(), win.size() + 1);
  SetLastError(ERROR_SUCCESS);
  return (DWORD)win.size();
}
