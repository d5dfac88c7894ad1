// Blocking calls on the one thread: they serve the program's messages through
// the blocking hook while they wait, sleep without using the processor, end
// with WSAEINTR when a window procedure cancels them, and admit no second
// blocking call from inside the hook.
#include <sys/wait.h>
#include <unistd.h>

#include "tests/platform/net_test_support.h"
#include "tests/platform/win_test_support.h"
#include "win/reactor.h"

using nettest::BoundUdp;
using nettest::LastErrorAfter;
using nettest::NonBlocking;
using nettest::OnMessage;
using nettest::SendTo;
using wintest::CpuMilliseconds;

namespace {

constexpr UINT kAct = WM_USER + 1;

class Blocking : public nettest::WinSockTest {};

int SelectReadable(SOCKET s, const timeval* limit) {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(s, &readable);
  return select(0, &readable, nullptr, nullptr, limit);
}

bool blockingInTimer = false;
void CALLBACK CancelFromTimer(HWND, UINT, UINT_PTR, DWORD) {
  blockingInTimer = WSAIsBlocking();
  WSACancelBlockingCall();
}

TEST_F(Blocking, SelectWithATimeoutSleepsThroughItAndFindsNothing) {
  SOCKET s = BoundUdp();
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(s, &readable);
  timeval limit{0, 300 * 1000};
  double cpu = CpuMilliseconds();
  DWORD start = GetTickCount();
  EXPECT_EQ(select(0, &readable, nullptr, nullptr, &limit), 0);
  EXPECT_GE(GetTickCount() - start, 300u);
  EXPECT_LT(CpuMilliseconds() - cpu, 40.0);
  EXPECT_FALSE(FD_ISSET(s, &readable));
}

TEST_F(Blocking, ATimerProcedureCancelsAnEndlessSelectWhichSleptMeanwhile) {
  SOCKET s = BoundUdp();
  HWND hwnd = wintest::MakeWindow();
  SetTimer(hwnd, 1, 250, CancelFromTimer);
  double cpu = CpuMilliseconds();
  EXPECT_EQ(LastErrorAfter(SelectReadable(s, nullptr)), WSAEINTR);
  EXPECT_LT(CpuMilliseconds() - cpu, 40.0);
  EXPECT_TRUE(blockingInTimer);
  EXPECT_FALSE(WSAIsBlocking());
  // With no blocking call under way there is nothing to cancel.
  EXPECT_EQ(LastErrorAfter(WSACancelBlockingCall()), WSAEINVAL);
}

TEST_F(Blocking, MessagesPostedBeforeOrDuringAReceiveAreDispatchedWhileItWaits) {
  SOCKET s = BoundUdp();
  SOCKET peer = NonBlocking(BoundUdp());
  HWND hwnd = nettest::MakeActionWindow();
  std::vector<WPARAM> handled;
  OnMessage() = [&](UINT message, WPARAM wParam, LPARAM) {
    if (message != kAct) return;
    handled.push_back(wParam);
    if (wParam == 1) PostMessage(hwnd, kAct, 2, 0);
    if (wParam == 2) SendTo(peer, s, "wake");
  };
  PostMessage(hwnd, kAct, 1, 0);
  char buffer[16];
  EXPECT_EQ(recv(s, buffer, sizeof buffer, 0), 4);
  EXPECT_EQ(handled, (std::vector<WPARAM>{1, 2}));
}

TEST_F(Blocking, ASecondBlockingCallFromTheHookIsRefusedWhileNonBlockingOnesWork) {
  SOCKET s = BoundUdp();
  SOCKET other = BoundUdp();
  SOCKET peer = NonBlocking(BoundUdp());
  HWND hwnd = nettest::MakeActionWindow();
  int nestedRecv = 0, nestedSelect = 0, nestedLookup = 0, nestedPoll = -1, nestedCleanup = 0;
  OnMessage() = [&](UINT message, WPARAM, LPARAM) {
    if (message != kAct) return;
    char buffer[4];
    nestedRecv = LastErrorAfter(recv(other, buffer, sizeof buffer, 0));
    timeval second{1, 0};
    nestedSelect = LastErrorAfter(SelectReadable(other, &second));
    nestedLookup = gethostbyname("localhost") ? 0 : WSAGetLastError();
    timeval zero{0, 0};
    nestedPoll = SelectReadable(other, &zero);
    nestedCleanup = LastErrorAfter(WSACleanup());
    SendTo(peer, s, "done");
  };
  PostMessage(hwnd, kAct, 0, 0);
  char buffer[16];
  EXPECT_EQ(recv(s, buffer, sizeof buffer, 0), 4);
  EXPECT_EQ(nestedRecv, WSAEINPROGRESS);
  EXPECT_EQ(nestedSelect, WSAEINPROGRESS);
  EXPECT_EQ(nestedLookup, WSAEINPROGRESS);
  EXPECT_EQ(nestedPoll, 0);
  EXPECT_EQ(nestedCleanup, WSAEINPROGRESS);
}

// Messages another process sends are handled inside the reactor's poll, not by
// the hook; a cancel made there must end the wait all the same.
TEST_F(Blocking, ACancelArrivingFromAnotherProcessThroughTheReactorEndsTheWait) {
  int pipeEnds[2];
  ASSERT_EQ(pipe(pipeEnds), 0);
  int cancels = 0;
  plat::win::TheReactor().Watch(pipeEnds[0], POLLIN, [&](short) {
    char c;
    if (read(pipeEnds[0], &c, 1) == 1) cancels += WSACancelBlockingCall() == 0;
  });
  pid_t child = fork();
  if (child == 0) {
    usleep(50 * 1000);
    _exit(write(pipeEnds[1], "c", 1) == 1 ? 0 : 1);
  }
  SOCKET s = BoundUdp();
  char buffer[16];
  double cpu = CpuMilliseconds();
  EXPECT_EQ(LastErrorAfter(recv(s, buffer, sizeof buffer, 0)), WSAEINTR);
  EXPECT_LT(CpuMilliseconds() - cpu, 40.0);
  EXPECT_EQ(cancels, 1);
  int status = -1;
  waitpid(child, &status, 0);
  EXPECT_EQ(status, 0);
  plat::win::TheReactor().Unwatch(pipeEnds[0]);
}

TEST_F(Blocking, ClosingTheSocketACallWaitsOnEndsTheCall) {
  SOCKET s = BoundUdp();
  HWND hwnd = nettest::MakeActionWindow();
  OnMessage() = [&](UINT message, WPARAM, LPARAM) {
    if (message == kAct) closesocket(s);
  };
  PostMessage(hwnd, kAct, 0, 0);
  char buffer[16];
  EXPECT_EQ(LastErrorAfter(recv(s, buffer, sizeof buffer, 0)), WSAEINTR);
}

TEST_F(Blocking, AQuitPostedDuringAWaitIsLeftForTheMessageLoop) {
  SOCKET s = BoundUdp();
  SOCKET peer = NonBlocking(BoundUdp());
  HWND hwnd = nettest::MakeActionWindow();
  bool postedAfterQuit = false;
  OnMessage() = [&](UINT message, WPARAM wParam, LPARAM) {
    if (message != kAct) return;
    if (wParam == 0) {
      PostQuitMessage(5);
      PostMessage(hwnd, kAct, 1, 0);  // still dispatched: posted messages come before the quit
      return;
    }
    postedAfterQuit = true;
    SendTo(peer, s, "go");
  };
  PostMessage(hwnd, kAct, 0, 0);
  char buffer[16];
  EXPECT_EQ(recv(s, buffer, sizeof buffer, 0), 2);
  EXPECT_TRUE(postedAfterQuit);
  MSG msg;
  ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, (UINT)WM_QUIT);
  EXPECT_EQ(msg.wParam, 5u);
}

int hookCalls = 0;
SOCKET hookFrom = INVALID_SOCKET, hookTo = INVALID_SOCKET;
int CALLBACK SendingHook() {
  if (hookCalls++ == 0) SendTo(hookFrom, hookTo, "hooked");
  return FALSE;
}

TEST_F(Blocking, AnInstalledHookRunsInsteadOfTheDefaultUntilUnhooked) {
  hookTo = BoundUdp();
  hookFrom = NonBlocking(BoundUdp());
  FARPROC standard = WSASetBlockingHook(SendingHook);
  ASSERT_NE(standard, nullptr);
  HWND hwnd = nettest::MakeActionWindow();
  bool dispatched = false;
  OnMessage() = [&](UINT, WPARAM, LPARAM) { dispatched = true; };
  PostMessage(hwnd, kAct, 0, 0);
  char buffer[16];
  EXPECT_EQ(recv(hookTo, buffer, sizeof buffer, 0), 6);
  EXPECT_EQ(hookCalls, 1);
  EXPECT_FALSE(dispatched);

  ASSERT_EQ(WSAUnhookBlockingHook(), 0);
  EXPECT_EQ(WSASetBlockingHook(SendingHook), standard);
}

}  // namespace
