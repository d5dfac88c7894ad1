// An outbox sends through a socket of its own, connected to the peer's endpoint:
// only a connected datagram socket is reported writable when the peer's queue has
// room again. The socket lives while records wait, so a process holds at most one
// descriptor per peer that is behind, and a bounded number of those.
#include "ipc/outbox.h"

#include <errno.h>
#include <sys/socket.h>

#include <deque>
#include <map>
#include <utility>

#include "ipc/peers.h"
#include "ipc/system_calls.h"
#include "win/reactor.h"

namespace plat::ipc {

namespace {

constexpr size_t kMaxRecordsPerPeer = 64;
constexpr size_t kMaxBytesPerPeer = 256 * 1024;
constexpr size_t kMaxOutboxes = 32;

struct Outbox {
  int fd = -1;
  std::deque<std::vector<unsigned char>> records;
  size_t bytes = 0;
};

std::map<pid_t, Outbox> outboxes;

void Close(pid_t peer) {
  auto it = outboxes.find(peer);
  if (it == outboxes.end()) return;
  plat::win::TheReactor().Unwatch(it->second.fd);
  Sys().close(it->second.fd);
  outboxes.erase(it);
}

void Flush(pid_t peer) {
  auto it = outboxes.find(peer);
  if (it == outboxes.end()) return;
  Outbox& box = it->second;
  while (!box.records.empty()) {
    std::vector<unsigned char>& record = box.records.front();
    iovec io{record.data(), record.size()};
    msghdr message{};
    message.msg_iov = &io;
    message.msg_iovlen = 1;
    if (Sys().sendmsg(box.fd, &message, MSG_DONTWAIT | MSG_NOSIGNAL) < 0) {
      if (errno == EAGAIN || errno == EWOULDBLOCK) return;  // still full: wait for room
      if (errno == ECONNREFUSED || errno == ENOENT || errno == ENOTCONN) {
        PeerGone(peer);  // closes this outbox too
        return;
      }
      // Any other error loses this record only.
    }
    box.bytes -= record.size();
    box.records.pop_front();
  }
  Close(peer);
}

}  // namespace

bool HasOutbox(pid_t peer) {
  return outboxes.count(peer) != 0;
}

Delivery QueueRecord(pid_t peer, const sockaddr_un& address, std::vector<unsigned char> record) {
  auto it = outboxes.find(peer);
  if (it == outboxes.end()) {
    if (outboxes.size() >= kMaxOutboxes) return Delivery::kFull;
    const SystemCalls& sys = Sys();
    int fd = sys.socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return Delivery::kFailed;
    if (sys.connect(fd, (const sockaddr*)&address, sizeof address) != 0) {
      int error = errno;
      sys.close(fd);
      errno = error;
      if (error != ECONNREFUSED && error != ENOENT) return Delivery::kFailed;
      PeerGone(peer);
      return Delivery::kGone;
    }
    it = outboxes.emplace(peer, Outbox{}).first;
    it->second.fd = fd;
    plat::win::TheReactor().Watch(fd, POLLOUT, [peer](short) { Flush(peer); });
    WatchPeer(peer);
  }
  Outbox& box = it->second;
  if (box.records.size() >= kMaxRecordsPerPeer || box.bytes + record.size() > kMaxBytesPerPeer)
    return Delivery::kFull;
  box.bytes += record.size();
  box.records.push_back(std::move(record));
  return Delivery::kQueued;
}

void DropOutbox(pid_t peer) {
  Close(peer);
}

}  // namespace plat::ipc
