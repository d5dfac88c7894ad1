// Per-descriptor records of files opened through _open/_sopen.
// A record lives from the open to _close; a reused number overwrites it.
#include "fs/fd_table.h"

#include <mutex>
#include <unordered_map>

namespace plat::fs {
namespace {
std::mutex tableMutex;
std::unordered_map<int, FdInfo>& Table() {
  static std::unordered_map<int, FdInfo> table;
  return table;
}
}  // namespace

void RememberFd(int fd, FdInfo info) {
  std::lock_guard lock(tableMutex);
  Table()[fd] = std::move(info);
}

void ForgetFd(int fd) {
  std::lock_guard lock(tableMutex);
  Table().erase(fd);
}

FdInfo LookupFd(int fd) {
  std::lock_guard lock(tableMutex);
  auto it = Table().find(fd);
  return it == Table().end() ? FdInfo{} : it->second;
}

}  // namespace plat::fs
