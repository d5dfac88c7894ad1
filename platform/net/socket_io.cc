// Sending and receiving. A blocking stream send returns only when everything is
// queued (or the call is cancelled, when it reports what went out); a blocking
// receive waits for the first byte or datagram. Datagrams are read with recvmsg
// so that a truncated one is known: WinSock fills the buffer and says WSAEMSGSIZE.
#include <errno.h>
#include <netinet/in.h>
#include <string.h>
#include <sys/socket.h>

#include <optional>

#include "net/blocking_call.h"
#include "net/held_datagram.h"
#include "net/net_errors.h"
#include "net/sockaddr_io.h"
#include "net/socket_calls.h"
#include "net/socket_table.h"

namespace plat::net {

namespace {

// false when flags hold anything but `allowed`.
bool OsFlags(int flags, int allowed, int* os) {
  if (flags & ~allowed) return false;
  *os = ((flags & ws::kMsgOob) ? MSG_OOB : 0) | ((flags & ws::kMsgPeek) ? MSG_PEEK : 0) |
        ((flags & ws::kMsgDontRoute) ? MSG_DONTROUTE : 0);
  return true;
}

// EPIPE is a send after our own shutdown, or a peer that reset the connection.
int SendError(ws::Socket s, int error) {
  if (error != EPIPE) return error;
  SocketRecord* r = FindSocket(s);
  return r && r->sendShut ? ESHUTDOWN : ECONNRESET;
}

struct RearmOnExit {
  int fd;
  ~RearmOnExit() { RearmNotification(fd, ws::kFdRead); }
};

// The datagram read ahead, given as recvmsg would have given it.
int TakeHeld(SocketRecord* r, char* buffer, int length, bool peek, void* from, int* fromLength) {
  HeldDatagram& h = *r->held;
  size_t copied = h.length < (size_t)length ? h.length : (size_t)length;
  copied = copied < kHeldDatagramSize ? copied : kHeldDatagramSize;
  memcpy(buffer, h.bytes, copied);
  WriteAddress(h.from, from, fromLength);
  bool truncated = h.length > (size_t)length;
  if (!peek) h.full = false;
  return truncated ? FailErrno(EMSGSIZE) : (int)copied;
}

}  // namespace

int Send(ws::Socket s, const char* buffer, int length, int flags, const void* to, int toLength) {
  SocketRecord* r = LookupSocket(s);
  if (!r) return ws::kSocketError;
  if (length < 0) return FailErrno(EINVAL);
  if (!buffer && length > 0) return FailErrno(EFAULT);
  int os = 0;
  if (!OsFlags(flags, ws::kMsgOob | ws::kMsgDontRoute, &os)) return FailErrno(EOPNOTSUPP);
  os |= MSG_NOSIGNAL;
  bool stream = r->type == ws::kSockStream;
  // A connected stream has its peer; WinSock ignores the address there.
  sockaddr_in dest;
  const sockaddr* destination = nullptr;
  if (to && !stream) {
    if (int error = ReadAddress(to, toLength, &dest)) return FailErrno(error);
    destination = (const sockaddr*)&dest;
  }
  int fd = r->fd;
  std::optional<BlockingCall> call;
  if (!r->nonBlocking && !call.emplace().Entered()) return ws::kSocketError;
  int sent = 0;
  for (;;) {
    ssize_t n =
        sendto(fd, buffer + sent, length - sent, os, destination, destination ? sizeof dest : 0);
    if (n >= 0) {
      sent += (int)n;
      if (sent == length || !stream || !call) return sent;
      continue;
    }
    int error = errno;
    if (error == EINTR) continue;
    if (error != EAGAIN || !call) return sent > 0 ? sent : FailErrno(SendError(s, error));
    if (WaitForSocket(*call, fd, POLLOUT) != 0) return sent > 0 ? sent : ws::kSocketError;
  }
}

int Receive(ws::Socket s, char* buffer, int length, int flags, void* from, int* fromLength) {
  SocketRecord* r = LookupSocket(s);
  if (!r) return ws::kSocketError;
  RearmOnExit rearm{r->fd};
  if (length < 0) return FailErrno(EINVAL);
  if (!buffer && length > 0) return FailErrno(EFAULT);
  if (from && (!fromLength || *fromLength < (int)sizeof(sockaddr_in))) return FailErrno(EFAULT);
  int os = 0;
  if (!OsFlags(flags, ws::kMsgOob | ws::kMsgPeek, &os)) return FailErrno(EOPNOTSUPP);
  bool stream = r->type == ws::kSockStream;
  if (r->HasHeld() && !(flags & ws::kMsgOob))
    return TakeHeld(r, buffer, length, flags & ws::kMsgPeek, from, fromLength);
  int fd = r->fd;
  std::optional<BlockingCall> call;
  if (!r->nonBlocking && !call.emplace().Entered()) return ws::kSocketError;
  for (;;) {
    sockaddr_in peer{};
    iovec io{buffer, (size_t)length};
    msghdr m{};
    m.msg_name = &peer;
    m.msg_namelen = sizeof peer;
    m.msg_iov = &io;
    m.msg_iovlen = 1;
    ssize_t n = recvmsg(fd, &m, os);
    if (n >= 0) {
      if (stream) {
        if (n == 0 && length > 0 && (r = FindSocket(s))) r->readEnded = true;
        return (int)n;
      }
      WriteAddress(peer, from, fromLength);
      return (m.msg_flags & MSG_TRUNC) ? FailErrno(EMSGSIZE) : (int)n;
    }
    int error = errno;
    if (error == EINTR) continue;
    if (error != EAGAIN || !call) return FailErrno(error);
    if (WaitForSocket(*call, fd, (flags & ws::kMsgOob) ? POLLPRI : POLLIN) != 0)
      return ws::kSocketError;
  }
}

}  // namespace plat::net
