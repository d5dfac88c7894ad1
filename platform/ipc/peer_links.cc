// Links are bounded: past the limit the one used least lately is closed, one
// that holds no records back first. A link to a peer that ended goes when a
// record to it fails (or its pidfd fires, for a peer that has records waiting).
#include "ipc/peer_links.h"

#include <errno.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <deque>
#include <map>
#include <utility>
#include <vector>

#include "ipc/desktop.h"
#include "ipc/peers.h"
#include "ipc/system_calls.h"
#include "win/reactor.h"

namespace plat::ipc {

namespace {

constexpr size_t kMaxRecordsPerPeer = 64;
constexpr size_t kMaxBytesPerPeer = 256 * 1024;
constexpr size_t kMaxLinks = 32;

struct Link {
  int fd = -1;
  std::deque<std::vector<unsigned char>> waiting;
  size_t bytes = 0;
  uint64_t lastUse = 0;
};

std::map<pid_t, Link> links;
uint64_t useClock = 0;

bool Gone(int error) {
  return error == ECONNREFUSED || error == ENOENT || error == ENOTCONN || error == ECONNRESET;
}

void Close(std::map<pid_t, Link>::iterator it) {
  if (!it->second.waiting.empty()) plat::win::TheReactor().Unwatch(it->second.fd);
  Sys().close(it->second.fd);
  links.erase(it);
}

// Records still waiting on a link that goes are lost with it: peers that never
// read must not be able to hold every link.
void MakeRoom() {
  if (links.size() < kMaxLinks) return;
  auto oldest = links.end();
  for (auto it = links.begin(); it != links.end(); ++it) {
    bool idle = it->second.waiting.empty();
    if (oldest == links.end()) {
      oldest = it;
      continue;
    }
    bool oldestIdle = oldest->second.waiting.empty();
    if (idle != oldestIdle ? idle : it->second.lastUse < oldest->second.lastUse) oldest = it;
  }
  Close(oldest);
}

Delivery Connect(pid_t peer) {
  sockaddr_un address;
  if (!EndpointAddress(peer, &address)) {
    errno = EINVAL;
    return Delivery::kFailed;
  }
  MakeRoom();
  const SystemCalls& sys = Sys();
  int fd = sys.socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return Delivery::kFailed;
  if (sys.connect(fd, (const sockaddr*)&address, sizeof address) != 0) {
    int error = errno;
    sys.close(fd);
    errno = error;
    if (!Gone(error)) return Delivery::kFailed;
    PeerGone(peer);
    return Delivery::kGone;
  }
  links[peer].fd = fd;
  return Delivery::kSent;
}

void Flush(pid_t peer) {
  auto it = links.find(peer);
  if (it == links.end()) return;
  Link& link = it->second;
  while (!link.waiting.empty()) {
    std::vector<unsigned char>& record = link.waiting.front();
    iovec io{record.data(), record.size()};
    msghdr message{};
    message.msg_iov = &io;
    message.msg_iovlen = 1;
    if (Sys().sendmsg(link.fd, &message, MSG_DONTWAIT | MSG_NOSIGNAL) < 0) {
      if (errno == EAGAIN || errno == EWOULDBLOCK) return;  // still full: wait for room
      if (Gone(errno)) {
        PeerGone(peer);  // closes this link too
        return;
      }
      // Any other error loses this record only.
    }
    link.bytes -= record.size();
    link.waiting.pop_front();
  }
  plat::win::TheReactor().Unwatch(link.fd);
}

Delivery Hold(pid_t peer, Link& link, const void* header, size_t headerLength, const void* payload,
              size_t payloadLength, bool mayQueue) {
  size_t length = headerLength + payloadLength;
  if (!mayQueue || link.waiting.size() >= kMaxRecordsPerPeer ||
      link.bytes + length > kMaxBytesPerPeer)
    return Delivery::kFull;
  std::vector<unsigned char> record(length);
  memcpy(record.data(), header, headerLength);
  if (payloadLength) memcpy(record.data() + headerLength, payload, payloadLength);
  if (link.waiting.empty())
    plat::win::TheReactor().Watch(link.fd, POLLOUT, [peer](short) { Flush(peer); });
  link.bytes += length;
  link.waiting.push_back(std::move(record));
  WatchPeer(peer);  // its end drops what waits for it
  return Delivery::kQueued;
}

}  // namespace

Delivery SendToPeer(pid_t peer, const void* header, size_t headerLength, const void* payload,
                    size_t payloadLength, bool mayQueue) {
  if (!links.count(peer)) {
    Delivery connected = Connect(peer);
    if (connected != Delivery::kSent) return connected;
  }
  Link& link = links[peer];
  link.lastUse = ++useClock;
  // Records wait behind those already waiting, so they arrive in order.
  if (!link.waiting.empty())
    return Hold(peer, link, header, headerLength, payload, payloadLength, mayQueue);
  iovec io[2] = {{const_cast<void*>(header), headerLength},
                 {const_cast<void*>(payload), payloadLength}};
  msghdr message{};
  message.msg_iov = io;
  message.msg_iovlen = payloadLength ? 2 : 1;
  ssize_t sent = Sys().sendmsg(link.fd, &message, MSG_DONTWAIT | MSG_NOSIGNAL);
  if (sent == (ssize_t)(headerLength + payloadLength)) return Delivery::kSent;
  if (sent >= 0) {
    errno = EMSGSIZE;  // datagrams go whole or not at all; this can't happen
    return Delivery::kFailed;
  }
  if (errno == EAGAIN || errno == EWOULDBLOCK)
    return Hold(peer, link, header, headerLength, payload, payloadLength, mayQueue);
  if (Gone(errno)) {
    PeerGone(peer);
    return Delivery::kGone;
  }
  return Delivery::kFailed;
}

void DropLink(pid_t peer) {
  if (auto it = links.find(peer); it != links.end()) Close(it);
}

}  // namespace plat::ipc
