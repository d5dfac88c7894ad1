// The wait of a blocking call never spins: between hook rounds it sleeps in
// poll until a descriptor, the deadline or the next window timer (which the
// default hook would dispatch) wakes it.
#include "net/blocking_call.h"

#include <errno.h>

#include <algorithm>

#include "net/net_errors.h"
#include "platform/winuser.h"
#include "win/message_queue.h"
#include "win/reactor.h"

namespace plat::net {

namespace {

struct BlockingState {
  bool active = false;
  bool cancelled = false;
  const pollfd* fds = nullptr;  // what the call waits on, while it waits
  size_t count = 0;
  BlockingHook hook = DefaultBlockingHook;
};

BlockingState& State() {
  static BlockingState state;
  return state;
}

// -1, or how long until the deadline, or until the next timer when that is sooner.
// A timer already due that the hook left alone does not count, or a hook that
// ignores timers would make the wait spin.
int SleepMs(uint64_t deadline) {
  int sleep = -1;
  if (deadline != kNoDeadline) {
    uint64_t now = win::NowMicroseconds();
    // Rounded up: a wait that ended before the deadline would only come back here.
    sleep = now >= deadline ? 0 : (int)std::min<uint64_t>((deadline - now + 999) / 1000, INT32_MAX);
  }
  int timer = win::TheQueue().MillisecondsToNextTimer(nullptr, 0, 0);
  if (timer > 0 && (sleep < 0 || timer < sleep)) sleep = timer;
  return sleep;
}

}  // namespace

uint64_t DeadlineAfter(int timeoutMs) {
  return timeoutMs < 0 ? kNoDeadline : win::NowMicroseconds() + (uint64_t)timeoutMs * 1000u;
}

BlockingCall::BlockingCall() {
  BlockingState& s = State();
  if (s.active) {
    FailErrno(EINPROGRESS);
    return;
  }
  s.active = true;
  s.cancelled = false;
  entered_ = true;
}

BlockingCall::~BlockingCall() {
  if (!entered_) return;
  State().active = false;
}

WaitResult BlockingCall::Wait(pollfd* fds, size_t count, uint64_t deadline) {
  BlockingState& s = State();
  s.fds = fds;
  s.count = count;
  WaitResult result;
  for (;;) {
    while (!s.cancelled && s.hook()) {
    }
    if (s.cancelled) {
      result = WaitResult::kCancelled;
      break;
    }
    // Handlers run inside this poll; one of them may cancel (a message sent by
    // another process is handled there, not by the hook).
    int ready = win::TheReactor().Wait(SleepMs(deadline), fds, count);
    if (s.cancelled) {
      result = WaitResult::kCancelled;
      break;
    }
    if (ready != 0) {
      result = ready > 0 ? WaitResult::kReady : WaitResult::kFailed;
      break;
    }
    if (deadline != kNoDeadline && win::NowMicroseconds() >= deadline) {
      result = WaitResult::kTimedOut;
      break;
    }
  }
  // fds may live in the caller's loop; nothing may look at them after this wait.
  s.fds = nullptr;
  s.count = 0;
  return result;
}

int WaitForSocket(BlockingCall& call, int fd, short events) {
  pollfd p{fd, events, 0};
  WaitResult result = call.Wait(&p, 1, kNoDeadline);
  if (result == WaitResult::kReady) return 0;
  return FailErrno(result == WaitResult::kCancelled ? EINTR : errno);
}

bool InBlockingCall() {
  return State().active;
}

bool CancelBlockingCall() {
  BlockingState& s = State();
  if (!s.active) return false;
  s.cancelled = true;
  return true;
}

void CancelWaitsOnSocket(int fd) {
  BlockingState& s = State();
  for (size_t i = 0; i < s.count; ++i) {
    if (s.fds[i].fd == fd) s.cancelled = true;
  }
}

BlockingHook SetBlockingHook(BlockingHook hook) {
  BlockingHook previous = State().hook;
  State().hook = hook;
  return previous;
}

void RestoreDefaultBlockingHook() {
  State().hook = DefaultBlockingHook;
}

// WM_QUIT stays in the queue for the program's own message loop: dispatching
// it here would lose it, and a program that quits while it waits would never end.
int DefaultBlockingHook() {
  MSG msg;
  if (!PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE) || msg.message == WM_QUIT) return FALSE;
  if (!PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) return FALSE;
  TranslateMessage(&msg);
  DispatchMessage(&msg);
  return TRUE;
}

}  // namespace plat::net
