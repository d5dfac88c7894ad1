// Timers keep a 64-bit due time; after a WM_TIMER is taken the next one is due a
// whole period later, so timer messages are never early and never pile up.
#include "win/message_queue.h"

#include <time.h>

#include <algorithm>
#include <utility>

#include "platform/winbase.h"
#include "win/reactor.h"
#include "win/window_table.h"

namespace plat::win {

namespace {

constexpr UINT kMinTimerPeriod = 10;  // Win32's USER_TIMER_MINIMUM
constexpr UINT kMaxTimerPeriod = 0x7FFFFFFF;

bool InRange(UINT message, UINT filterMin, UINT filterMax) {
  if (filterMin == 0 && filterMax == 0) return true;
  return message >= filterMin && message <= filterMax;
}

// NULL takes every window's messages and thread messages; (HWND)-1 only thread
// messages; a window takes its own and its descendants'.
bool MatchesWindow(HWND target, HWND filter) {
  if (!filter) return true;
  if (filter == (HWND)-1) return target == nullptr;
  return target == filter || (target && IsChild(filter, target));
}

void Stamp(MSG* msg) {
  msg->time = GetTickCount();
  msg->pt = POINT{0, 0};
}

}  // namespace

MessageQueue& TheQueue() {
  static MessageQueue queue;
  return queue;
}

uint64_t NowMicroseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return (uint64_t)now.tv_sec * 1000000u + (uint64_t)now.tv_nsec / 1000u;
}

bool MessageQueue::Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (posted_.size() >= kMaxPosted) {
    SetLastError(ERROR_NOT_ENOUGH_QUOTA);
    return false;
  }
  MSG msg{hwnd, message, wParam, lParam, 0, {0, 0}};
  Stamp(&msg);
  posted_.push_back(msg);
  return true;
}

void MessageQueue::PostQuit(int exitCode) {
  quit_ = true;
  quitCode_ = exitCode;
}

void MessageQueue::PostInput(std::function<void()> gesture) {
  input_.push_back(std::move(gesture));
}

// Input goes to whichever window it aims at, so only an unfiltered taking
// loop runs it; a gesture may open a nested loop that runs the next ones.
bool MessageQueue::RunInput(HWND filter, UINT filterMin, UINT filterMax, bool remove) {
  if (input_.empty() || !remove || filter || filterMin || filterMax) return false;
  std::function<void()> gesture = std::move(input_.front());
  input_.pop_front();
  gesture();
  return true;
}

bool MessageQueue::TakePosted(MSG* msg, HWND filter, UINT filterMin, UINT filterMax, bool remove) {
  for (auto it = posted_.begin(); it != posted_.end(); ++it) {
    if (!MatchesWindow(it->hwnd, filter) || !InRange(it->message, filterMin, filterMax)) continue;
    *msg = *it;
    if (remove) posted_.erase(it);
    return true;
  }
  return false;
}

bool MessageQueue::TakePaint(MSG* msg, HWND filter, UINT filterMin, UINT filterMax) {
  if (!InRange(WM_PAINT, filterMin, filterMax)) return false;
  for (HWND hwnd : invalid_) {
    if (!MatchesWindow(hwnd, filter) || !IsWindowVisible(hwnd) || IsIconic(hwnd)) continue;
    *msg = MSG{hwnd, WM_PAINT, 0, 0, 0, {0, 0}};
    Stamp(msg);
    return true;
  }
  return false;
}

bool MessageQueue::TakeTimer(MSG* msg, HWND filter, UINT filterMin, UINT filterMax, bool remove) {
  if (!InRange(WM_TIMER, filterMin, filterMax) || timers_.empty()) return false;
  uint64_t now = NowMicroseconds();
  Timer* due = nullptr;
  for (Timer& t : timers_) {
    if (t.due > now || !MatchesWindow(t.hwnd, filter)) continue;
    if (!due || t.due < due->due) due = &t;
  }
  if (!due) return false;
  *msg = MSG{due->hwnd, WM_TIMER, due->id, (LPARAM)due->proc, 0, {0, 0}};
  Stamp(msg);
  if (remove) due->due = now + due->period * 1000ull;
  return true;
}

bool MessageQueue::Peek(MSG* msg, HWND filter, UINT filterMin, UINT filterMax, bool remove,
                        bool pollFirst) {
  // Lets ready descriptors post their messages and serves messages sent meanwhile.
  // While posted messages wait, that look happens at most once a millisecond: a
  // busy server then pays for no poll per message, and nothing waits long.
  if (pollFirst) {
    uint64_t now = NowMicroseconds();
    if (posted_.empty() || now - lastPoll_ >= kPollInterval) {
      TheReactor().Wait(0);
      lastPoll_ = now;
    }
  }
  do {
    if (TakePosted(msg, filter, filterMin, filterMax, remove)) return true;
  } while (RunInput(filter, filterMin, filterMax, remove));
  if (quit_) {
    *msg = MSG{nullptr, WM_QUIT, (WPARAM)quitCode_, 0, 0, {0, 0}};
    Stamp(msg);
    if (remove) quit_ = false;
    return true;
  }
  if (TakePaint(msg, filter, filterMin, filterMax)) return true;
  return TakeTimer(msg, filter, filterMin, filterMax, remove);
}

int MessageQueue::MillisecondsToNextTimer(HWND filter, UINT filterMin, UINT filterMax) const {
  if (!InRange(WM_TIMER, filterMin, filterMax)) return -1;
  uint64_t next = UINT64_MAX;
  for (const Timer& t : timers_) {
    if (MatchesWindow(t.hwnd, filter)) next = std::min(next, t.due);
  }
  if (next == UINT64_MAX) return -1;
  uint64_t now = NowMicroseconds();
  if (next <= now) return 0;
  uint64_t wait = (next - now + 999) / 1000;  // rounded up: waking early would spin
  return wait > 0x7FFFFFFF ? 0x7FFFFFFF : (int)wait;
}

void MessageQueue::Wait(HWND filter, UINT filterMin, UINT filterMax) {
  TheReactor().Wait(MillisecondsToNextTimer(filter, filterMin, filterMax));
}

UINT_PTR MessageQueue::SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
  UINT period = std::clamp(elapse, kMinTimerPeriod, kMaxTimerPeriod);
  if (!hwnd) id = nextThreadTimerId_++;
  uint64_t due = NowMicroseconds() + period * 1000ull;
  for (Timer& t : timers_) {
    if (t.hwnd == hwnd && t.id == id) {
      t.period = period;
      t.due = due;
      t.proc = proc;
      return hwnd ? 1 : id;
    }
  }
  timers_.push_back(Timer{hwnd, id, period, due, proc});
  return hwnd ? 1 : id;
}

bool MessageQueue::KillTimer(HWND hwnd, UINT_PTR id) {
  auto it = std::find_if(timers_.begin(), timers_.end(),
                         [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
  if (it == timers_.end()) return false;
  timers_.erase(it);
  return true;
}

void MessageQueue::KillTimersOf(HWND hwnd) {
  std::erase_if(timers_, [&](const Timer& t) { return t.hwnd == hwnd; });
}

bool MessageQueue::IsTimerProc(HWND hwnd, UINT_PTR id, TIMERPROC proc) const {
  for (const Timer& t : timers_) {
    if (t.hwnd == hwnd && t.id == id) return t.proc == proc;
  }
  return false;
}

void MessageQueue::MarkInvalid(HWND hwnd) {
  if (std::find(invalid_.begin(), invalid_.end(), hwnd) == invalid_.end()) invalid_.push_back(hwnd);
}

void MessageQueue::MarkValid(HWND hwnd) {
  std::erase(invalid_, hwnd);
}

}  // namespace plat::win
