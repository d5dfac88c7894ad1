// The message queue: retrieval order, quit, timers, painting and the reactor wait.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/platform/win_test_support.h"
#include "win/reactor.h"

using wintest::CpuMilliseconds;
using wintest::Log;
using wintest::MakeWindow;
using wintest::Messages;

namespace {

constexpr UINT kA = WM_USER + 1;
constexpr UINT kB = WM_USER + 2;
constexpr UINT kC = WM_USER + 3;

std::vector<UINT> UserMessages(HWND hwnd) {
  std::vector<UINT> result;
  for (UINT m : Messages(hwnd)) {
    if (m >= WM_USER) result.push_back(m);
  }
  return result;
}

}  // namespace

TEST(MessageQueue, PostedMessagesComeInFifoOrderWhileSentOnesAreCalledAtOnce) {
  HWND hwnd = MakeWindow();
  Log().clear();
  ASSERT_TRUE(PostMessage(hwnd, kA, 1, 0));
  ASSERT_TRUE(PostMessage(hwnd, kB, 2, 0));
  SendMessage(hwnd, kC, 3, 0);
  EXPECT_EQ(UserMessages(hwnd), (std::vector<UINT>{kC}));

  ASSERT_TRUE(PostMessage(hwnd, kC, 4, 0));
  wintest::Drain();
  EXPECT_EQ(UserMessages(hwnd), (std::vector<UINT>{kC, kA, kB, kC}));
}

TEST(MessageQueue, QuitComesAfterPostedMessagesAndEndsTheLoopWithItsParameter) {
  HWND hwnd = MakeWindow();
  PostMessage(hwnd, kA, 0, 0);
  PostQuitMessage(42);
  PostMessage(hwnd, kB, 0, 0);
  Log().clear();
  MSG msg;
  int loops = 0;
  while (GetMessage(&msg, nullptr, 0, 0)) {
    DispatchMessage(&msg);
    ++loops;
  }
  EXPECT_EQ(msg.message, (UINT)WM_QUIT);
  EXPECT_EQ(msg.wParam, 42u);
  EXPECT_EQ(UserMessages(hwnd), (std::vector<UINT>{kA, kB}));
  // The quit was taken: nothing is left.
  EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE) && msg.message == WM_QUIT);
}

TEST(MessageQueue, PostToADestroyedWindowFailsAndThreadMessagesHaveNoWindow) {
  HWND hwnd = MakeWindow();
  DestroyWindow(hwnd);
  EXPECT_FALSE(PostMessage(hwnd, kA, 0, 0));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_WINDOW_HANDLE);

  ASSERT_TRUE(PostThreadMessage(GetCurrentThreadId(), kB, 7, 0));
  MSG msg;
  ASSERT_TRUE(PeekMessage(&msg, (HWND)-1, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, nullptr);
  EXPECT_EQ(msg.message, kB);
}

TEST(MessageQueue, FiltersLeaveOtherMessagesQueued) {
  HWND one = MakeWindow();
  HWND two = MakeWindow();
  PostMessage(one, kA, 0, 0);
  PostMessage(two, kB, 0, 0);
  PostMessage(one, kC, 0, 0);
  MSG msg;
  ASSERT_TRUE(PeekMessage(&msg, two, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, kB);
  ASSERT_TRUE(PeekMessage(&msg, nullptr, kC, kC, PM_NOREMOVE));
  EXPECT_EQ(msg.message, kC);
  ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, kA);
  ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, kC);
  EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST(Timers, PeekFilteredToTimerTakesTheTimerAndLeavesOtherMessages) {
  HWND hwnd = MakeWindow();
  wintest::Drain();
  PostMessage(hwnd, kA, 0, 0);
  ASSERT_TRUE(SetTimer(hwnd, 999, 20, nullptr));
  Sleep(40);
  MSG msg;
  ASSERT_TRUE(PeekMessage(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  EXPECT_EQ(msg.message, (UINT)WM_TIMER);
  EXPECT_EQ(msg.wParam, 999u);
  EXPECT_FALSE(PeekMessage(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, kA);
}

TEST(Timers, MessagesAreCoalescedAndNeverEarly) {
  HWND hwnd = MakeWindow();
  wintest::Drain();
  DWORD start = GetTickCount();
  ASSERT_TRUE(SetTimer(hwnd, 1, 50, nullptr));
  MSG msg;
  // Nothing before the period has passed.
  EXPECT_FALSE(PeekMessage(&msg, hwnd, WM_TIMER, WM_TIMER, PM_REMOVE));
  ASSERT_TRUE(GetMessage(&msg, hwnd, WM_TIMER, WM_TIMER));
  DWORD first = GetTickCount();
  EXPECT_GE(first - start, 50u);

  // Five periods pass unserved: one message, not five.
  Sleep(260);
  int taken = 0;
  while (PeekMessage(&msg, hwnd, WM_TIMER, WM_TIMER, PM_REMOVE))
    ++taken;
  EXPECT_EQ(taken, 1);

  // The next one is a whole period after the last taken.
  DWORD taken_at = GetTickCount();
  ASSERT_TRUE(GetMessage(&msg, hwnd, WM_TIMER, WM_TIMER));
  EXPECT_GE(GetTickCount() - taken_at, 49u);
}

TEST(Timers, SetAgainRestartsKillStopsAndWindowDestructionKills) {
  HWND hwnd = MakeWindow();
  wintest::Drain();
  ASSERT_TRUE(SetTimer(hwnd, 5, 30, nullptr));
  Sleep(20);
  ASSERT_TRUE(SetTimer(hwnd, 5, 30, nullptr));  // restarts the period
  Sleep(20);
  MSG msg;
  EXPECT_FALSE(PeekMessage(&msg, hwnd, WM_TIMER, WM_TIMER, PM_REMOVE));
  EXPECT_TRUE(KillTimer(hwnd, 5));
  EXPECT_FALSE(KillTimer(hwnd, 5));

  SetTimer(hwnd, 6, 10, nullptr);
  DestroyWindow(hwnd);
  Sleep(30);
  EXPECT_FALSE(PeekMessage(&msg, hwnd, WM_TIMER, WM_TIMER, PM_REMOVE));
}

namespace {
int timerProcCalls = 0;
void CALLBACK CountingTimerProc(HWND, UINT, UINT_PTR, DWORD) {
  timerProcCalls++;
}
}  // namespace

TEST(Timers, DispatchCallsOnlyATimerProcedureThatWasSet) {
  timerProcCalls = 0;
  UINT_PTR id = SetTimer(nullptr, 0, 10, CountingTimerProc);
  ASSERT_NE(id, 0u);
  MSG msg;
  ASSERT_TRUE(GetMessage(&msg, nullptr, WM_TIMER, WM_TIMER));
  DispatchMessage(&msg);
  EXPECT_EQ(timerProcCalls, 1);

  // A posted imitation with a procedure address in lParam is not obeyed.
  PostThreadMessage(GetCurrentThreadId(), WM_TIMER, 4242, (LPARAM)CountingTimerProc);
  ASSERT_TRUE(PeekMessage(&msg, (HWND)-1, 0, 0, PM_REMOVE));
  ASSERT_EQ(msg.wParam, 4242u);
  DispatchMessage(&msg);
  EXPECT_EQ(timerProcCalls, 1);
  KillTimer(nullptr, id);
}

TEST(MessageQueue, GetMessageSleepsWithoutUsingTheProcessorWhileNothingIsDue) {
  HWND hwnd = MakeWindow();
  wintest::Drain();
  // The time is taken before the timer is set: the timer counts from SetTimer.
  DWORD start = GetTickCount();
  SetTimer(hwnd, 1, 400, nullptr);
  double cpu = CpuMilliseconds();
  MSG msg;
  ASSERT_TRUE(GetMessage(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, (UINT)WM_TIMER);
  EXPECT_GE(GetTickCount() - start, 400u);
  EXPECT_LT(CpuMilliseconds() - cpu, 40.0);
}

TEST(Painting, PaintComesOnlyWhenTheQueueIsEmptyAndOncePerWindow) {
  HWND hwnd = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  wintest::Drain();
  Log().clear();
  InvalidateRect(hwnd, nullptr, TRUE);
  RECT part{0, 0, 5, 5};
  InvalidateRect(hwnd, &part, FALSE);
  PostMessage(hwnd, kA, 0, 0);
  wintest::Drain();
  // DefWindowProc's BeginPaint erases, as the first invalidation asked.
  EXPECT_EQ(Messages(hwnd), (std::vector<UINT>{kA, WM_PAINT, WM_ERASEBKGND}));
}

TEST(Painting, HiddenAndMinimisedWindowsKeepTheirUpdateRegionUntilShown) {
  HWND hwnd = MakeWindow(WS_OVERLAPPEDWINDOW);
  InvalidateRect(hwnd, nullptr, TRUE);
  Log().clear();
  wintest::Drain();
  EXPECT_TRUE(Messages(hwnd).empty());
  RECT update;
  EXPECT_TRUE(GetUpdateRect(hwnd, &update, FALSE));

  auto paints = [&] {
    std::vector<UINT> seen = Messages(hwnd);
    return std::count(seen.begin(), seen.end(), (UINT)WM_PAINT);
  };
  ShowWindow(hwnd, SW_SHOWMINNOACTIVE);
  wintest::Drain();
  EXPECT_EQ(paints(), 0);
  ShowWindow(hwnd, SW_RESTORE);
  wintest::Drain();
  EXPECT_EQ(paints(), 1);
  EXPECT_FALSE(GetUpdateRect(hwnd, &update, FALSE));
}

TEST(Painting, UpdateWindowPaintsAtOnceAndOnlyWhenThereIsSomethingToPaint) {
  HWND hwnd = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  wintest::Drain();
  Log().clear();
  UpdateWindow(hwnd);
  EXPECT_TRUE(Messages(hwnd).empty());
  InvalidateRect(hwnd, nullptr, FALSE);
  UpdateWindow(hwnd);
  EXPECT_EQ(Messages(hwnd), (std::vector<UINT>{WM_PAINT}));
}

TEST(Reactor, AWatchedDescriptorWakesGetMessage) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  HWND hwnd = MakeWindow();
  wintest::Drain();
  plat::win::TheReactor().Watch(fds[0], POLLIN, [&](short) {
    char c;
    if (read(fds[0], &c, 1) == 1) PostMessage(hwnd, kA, (WPARAM)c, 0);
  });
  pid_t child = fork();
  if (child == 0) {
    usleep(100 * 1000);
    (void)!write(fds[1], "x", 1);
    _exit(0);
  }
  MSG msg;
  ASSERT_TRUE(GetMessage(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, kA);
  EXPECT_EQ(msg.wParam, (WPARAM)'x');
  waitpid(child, nullptr, 0);
  plat::win::TheReactor().Unwatch(fds[0]);
  close(fds[0]);
  close(fds[1]);
}

TEST(Reactor, HandlersMayWaitAgainAndUnregisterWhileRunning) {
  int a[2], b[2];
  ASSERT_EQ(pipe(a), 0);
  ASSERT_EQ(pipe(b), 0);
  int aCalls = 0, bCalls = 0;
  auto& reactor = plat::win::TheReactor();
  reactor.Watch(b[0], POLLIN, [&](short) {
    char c;
    if (read(b[0], &c, 1) == 1) bCalls++;
  });
  reactor.Watch(a[0], POLLIN, [&](short) {
    char c;
    if (read(a[0], &c, 1) == 1) aCalls++;
    reactor.Wait(0);  // a nested wait serves b
    reactor.Unwatch(a[0]);
  });
  (void)!write(a[1], "1", 1);
  (void)!write(b[1], "2", 1);
  reactor.Wait(1000);
  reactor.Wait(0);
  EXPECT_EQ(aCalls, 1);
  EXPECT_EQ(bCalls, 1);
  EXPECT_FALSE(reactor.IsWatched(a[0]));
  reactor.Unwatch(b[0]);
  for (int fd : {a[0], a[1], b[0], b[1]})
    close(fd);
}
