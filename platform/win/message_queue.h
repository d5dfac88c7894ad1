// The message queue of the process's one thread. Retrieval order is Win32's:
// messages sent by other processes are handled first (inside the reactor), then
// posted messages in FIFO order, then a person's input, then WM_QUIT, then
// WM_PAINT for a window with an update region, then WM_TIMER for a due timer.
// WM_PAINT and WM_TIMER are never queued, they are made when asked for, so at
// most one is pending per window or timer.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

#include "platform/winuser.h"

namespace plat::win {

class MessageQueue {
 public:
  static constexpr size_t kMaxPosted = 10000;

  bool Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void PostQuit(int exitCode);
  // A person's gesture that a display backend read: it runs, through the person
  // API, when a loop takes messages for the whole thread and none is posted,
  // as Win32 takes input after posted messages.
  void PostInput(std::function<void()> gesture);
  bool HasInput() const { return !input_.empty(); }

  // Takes (or looks at) the next message that passes the filters; never waits. It first
  // lets ready descriptors deliver, unless the caller has just waited for them.
  bool Peek(MSG* msg, HWND filter, UINT filterMin, UINT filterMax, bool remove,
            bool pollFirst = true);
  // Sleeps until a descriptor is ready or the next timer that passes the filters is due.
  void Wait(HWND filter, UINT filterMin, UINT filterMax);
  // Until the next timer that passes the filters is due: 0 when one is, -1 without timers.
  int MillisecondsToNextTimer(HWND filter, UINT filterMin, UINT filterMax) const;

  UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc);
  bool KillTimer(HWND hwnd, UINT_PTR id);
  void KillTimersOf(HWND hwnd);
  bool IsTimerProc(HWND hwnd, UINT_PTR id, TIMERPROC proc) const;

  // Windows with an update region, in the order they got it.
  void MarkInvalid(HWND hwnd);
  void MarkValid(HWND hwnd);

  DWORD lastMessageTime = 0;

 private:
  struct Timer {
    HWND hwnd;
    UINT_PTR id;
    UINT period;
    uint64_t due;  // microseconds, so that rounding never makes a timer early
    TIMERPROC proc;
  };

  bool TakePosted(MSG* msg, HWND filter, UINT filterMin, UINT filterMax, bool remove);
  bool TakePaint(MSG* msg, HWND filter, UINT filterMin, UINT filterMax);
  bool TakeTimer(MSG* msg, HWND filter, UINT filterMin, UINT filterMax, bool remove);
  bool RunInput(HWND filter, UINT filterMin, UINT filterMax, bool remove);

  static constexpr uint64_t kPollInterval = 1000;  // microseconds
  uint64_t lastPoll_ = 0;
  std::deque<MSG> posted_;
  std::deque<std::function<void()>> input_;
  bool quit_ = false;
  int quitCode_ = 0;
  std::vector<Timer> timers_;
  UINT_PTR nextThreadTimerId_ = 1;
  std::vector<HWND> invalid_;
};

MessageQueue& TheQueue();
uint64_t NowMicroseconds();

}  // namespace plat::win
