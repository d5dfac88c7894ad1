// The socket table, one per process. A node-based map keeps each record at a
// fixed address while others are added and removed around it.
#include "net/socket_table.h"

#include "net/held_datagram.h"

#include <errno.h>

#include <map>

#include "net/net_errors.h"

namespace plat::net {

namespace {
std::map<int, SocketRecord>& Table() {
  static std::map<int, SocketRecord> table;
  return table;
}
}  // namespace

SocketRecord* FindSocket(ws::Socket s) {
  if (s > (ws::Socket)INT32_MAX) return nullptr;
  auto it = Table().find((int)s);
  return it == Table().end() ? nullptr : &it->second;
}

SocketRecord* LookupSocket(ws::Socket s) {
  SocketRecord* r = FindSocket(s);
  if (!r) FailErrno(ENOTSOCK);
  return r;
}

SocketRecord& AddSocket(int fd, int type) {
  SocketRecord& r = Table()[fd];
  r = SocketRecord{};
  r.fd = fd;
  r.type = type;
  return r;
}

bool SocketRecord::HasHeld() const {
  return held && held->full;
}

void RemoveSocket(int fd) {
  Table().erase(fd);
}

std::vector<int> OpenSockets() {
  std::vector<int> fds;
  for (const auto& [fd, record] : Table())
    fds.push_back(fd);
  return fds;
}

}  // namespace plat::net
