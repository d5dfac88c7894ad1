// WinSock 1.1's blocking calls on a non-blocking world. A call that has to wait
// runs the blocking hook until the hook finds nothing to do, then sleeps in the
// reactor's one poll (so posted, sent and notification messages wake it), and
// repeats until its descriptors are ready, its time is up or it is cancelled.
// At most one blocking call runs at a time; while it does, WSAIsBlocking is true.
#pragma once

#include <poll.h>

#include <cstddef>
#include <cstdint>

namespace plat::net {

using BlockingHook = int (*)();

enum class WaitResult { kReady, kTimedOut, kCancelled, kFailed };

inline constexpr uint64_t kNoDeadline = UINT64_MAX;
uint64_t DeadlineAfter(int timeoutMs);  // microseconds on the queue's clock; -1: kNoDeadline

class BlockingCall {
 public:
  // Fails, setting WSAEINPROGRESS, while another blocking call runs: check Entered().
  BlockingCall();
  ~BlockingCall();
  BlockingCall(const BlockingCall&) = delete;
  BlockingCall& operator=(const BlockingCall&) = delete;

  bool Entered() const { return entered_; }
  // Fills the revents of fds. kFailed leaves errno set.
  WaitResult Wait(pollfd* fds, size_t count, uint64_t deadline);

 private:
  bool entered_ = false;
};

// Waits without limit for one descriptor: 0 when it is ready, else SOCKET_ERROR
// with WSAEINTR (cancelled) or the poll error set.
int WaitForSocket(BlockingCall& call, int fd, short events);

bool InBlockingCall();
bool CancelBlockingCall();         // false when no blocking call runs
void CancelWaitsOnSocket(int fd);  // the socket is being closed under a waiting call

BlockingHook SetBlockingHook(BlockingHook hook);  // returns the one it replaces
void RestoreDefaultBlockingHook();
int DefaultBlockingHook();

}  // namespace plat::net
