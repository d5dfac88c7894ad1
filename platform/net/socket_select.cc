// select over WinSock's fd_sets, which hold socket numbers exactly as POSIX's
// hold descriptors. Readiness follows WinSock: a closed or reset connection is
// readable (recv then tells which); a non-blocking connect that failed shows in
// the exception set only, and its error is kept for SO_ERROR.
#include <errno.h>
#include <poll.h>
#include <sys/socket.h>

#include <climits>
#include <vector>

#include "net/blocking_call.h"
#include "net/net_errors.h"
#include "net/socket_calls.h"
#include "net/socket_table.h"

namespace plat::net {

namespace {

enum SetIndex { kRead, kWrite, kExcept, kSetCount };
constexpr short kPollEvents[kSetCount] = {POLLIN, POLLOUT, POLLPRI};

struct Watched {
  int fd;
  bool in[kSetCount];
  bool ready[kSetCount];
};

// Marks what each socket is ready for; returns how many (set, socket) pairs are.
int Collect(std::vector<Watched>& watched, const std::vector<pollfd>& fds) {
  int count = 0;
  for (size_t i = 0; i < watched.size(); ++i) {
    Watched& w = watched[i];
    short ev = fds[i].revents;
    SocketRecord* r = FindSocket(w.fd);
    if (!ev && !(w.in[kRead] && r && r->HasHeld())) continue;
    bool connectFailed = r && r->connecting && (ev & POLLERR);
    w.ready[kRead] = w.in[kRead] && ((ev & (POLLIN | POLLHUP | POLLERR)) || (r && r->HasHeld()));
    w.ready[kWrite] = w.in[kWrite] && (ev & POLLOUT) && !connectFailed;
    w.ready[kExcept] = w.in[kExcept] && ((ev & POLLPRI) || connectFailed);
    if (r && r->connecting && (ev & (POLLOUT | POLLERR))) {
      r->connecting = false;
      if (connectFailed) {
        socklen_t len = sizeof r->connectError;
        getsockopt(w.fd, SOL_SOCKET, SO_ERROR, &r->connectError, &len);
      }
    }
    for (bool ready : w.ready)
      count += ready;
  }
  return count;
}

// -1 for no limit, rounding microseconds up so that a short wait is not a poll.
int TimeoutMs(const timeval* t) {
  if (!t) return -1;
  if (t->tv_sec >= INT_MAX / 1000) return INT_MAX;
  long long ms = (long long)t->tv_sec * 1000 + (t->tv_usec + 999) / 1000;
  return ms > INT_MAX ? INT_MAX : (int)ms;
}

}  // namespace

int Select(fd_set* readSet, fd_set* writeSet, fd_set* exceptSet, const timeval* timeout) {
  fd_set* sets[kSetCount] = {readSet, writeSet, exceptSet};
  if (timeout && (timeout->tv_sec < 0 || timeout->tv_usec < 0)) return FailErrno(EINVAL);
  std::vector<Watched> watched;
  std::vector<pollfd> fds;
  for (int fd = 0; fd < FD_SETSIZE; ++fd) {
    bool in[kSetCount];
    bool any = false;
    for (int k = 0; k < kSetCount; ++k)
      any |= in[k] = sets[k] && FD_ISSET(fd, sets[k]);
    if (!any) continue;
    if (!FindSocket(fd)) return FailErrno(ENOTSOCK);
    Watched w{fd, {in[0], in[1], in[2]}, {}};
    short events = 0;
    for (int k = 0; k < kSetCount; ++k)
      events |= in[k] ? kPollEvents[k] : 0;
    watched.push_back(w);
    fds.push_back(pollfd{fd, events, 0});
  }
  if (watched.empty()) return FailErrno(EINVAL);

  int count = 0;
  int timeoutMs = TimeoutMs(timeout);
  // A datagram read ahead is readable now, whatever the kernel's queue says.
  for (const Watched& w : watched) {
    SocketRecord* r = FindSocket(w.fd);
    if (w.in[kRead] && r && r->HasHeld()) timeoutMs = 0;
  }
  if (timeoutMs == 0) {
    // A poll, not a wait: allowed inside the blocking hook, and runs no hook.
    if (poll(fds.data(), fds.size(), 0) < 0 && errno != EINTR) return FailErrno(errno);
    count = Collect(watched, fds);
  } else {
    BlockingCall call;
    if (!call.Entered()) return ws::kSocketError;
    uint64_t deadline = DeadlineAfter(timeoutMs);
    for (;;) {
      WaitResult result = call.Wait(fds.data(), fds.size(), deadline);
      if (result == WaitResult::kCancelled) return FailErrno(EINTR);
      if (result == WaitResult::kFailed) return FailErrno(errno);
      if (result == WaitResult::kTimedOut) break;
      if ((count = Collect(watched, fds)) > 0) break;
      // Ready for nothing the caller asked about (a failed connect in the write
      // set only): stop polling it, or poll would return at once forever.
      for (pollfd& p : fds) {
        if (p.revents) p.fd = -1;
      }
    }
  }
  for (fd_set* set : sets) {
    if (set) FD_ZERO(set);
  }
  for (const Watched& w : watched) {
    for (int k = 0; k < kSetCount; ++k) {
      if (w.ready[k]) FD_SET(w.fd, sets[k]);
    }
  }
  return count;
}

}  // namespace plat::net
