// A pidfd becomes readable when its process ends, even before it is reaped, and
// never names a later process that reuses the pid. Watches are bounded: past the
// limit a peer's end is noticed only when a record to it fails.
#include "ipc/peers.h"

#include <errno.h>

#include <map>

#include "ipc/dde_carriage.h"
#include "ipc/peer_links.h"
#include "ipc/send_wait.h"
#include "ipc/system_calls.h"
#include "win/reactor.h"

namespace plat::ipc {

namespace {

constexpr size_t kMaxWatchedPeers = 128;

std::map<pid_t, int> watched;           // pid -> pidfd
std::map<pid_t, uint64_t> unanswering;  // pid -> the serial it left unanswered

}  // namespace

bool WatchPeer(pid_t pid) {
  if (watched.count(pid)) return true;
  if (pid <= 0 || watched.size() >= kMaxWatchedPeers) return false;
  int fd = Sys().pidfdOpen(pid, 0);
  if (fd < 0) {
    // Already gone, or no pidfd to be had: then failed records will tell.
    if (errno != ESRCH) return false;
    PeerGone(pid);
    return true;
  }
  watched[pid] = fd;
  plat::win::TheReactor().Watch(fd, POLLIN, [pid](short) { PeerGone(pid); });
  return true;
}

void PeerGone(pid_t pid) {
  if (auto it = watched.find(pid); it != watched.end()) {
    plat::win::TheReactor().Unwatch(it->second);
    Sys().close(it->second);
    watched.erase(it);
  }
  unanswering.erase(pid);
  DropLink(pid);
  ReleasePeerBlocks(pid);
  FailWaitsFor(pid);
}

void MarkUnanswering(pid_t pid, uint64_t serial) {
  unanswering.emplace(pid, serial);
}

void AnsweredBy(pid_t pid, uint64_t serial) {
  auto it = unanswering.find(pid);
  if (it != unanswering.end() && serial >= it->second) unanswering.erase(it);
}

bool Unanswering(pid_t pid) {
  return unanswering.count(pid) != 0;
}

}  // namespace plat::ipc
