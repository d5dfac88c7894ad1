// Loopback helpers and the action window of the WinSock tests.
#include "tests/platform/net_test_support.h"

#include "tests/platform/win_test_support.h"

namespace nettest {

void WinSockTest::SetUp() {
  WSADATA data;
  ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
}

void WinSockTest::TearDown() {
  WSACleanup();
}

sockaddr_in Loopback(u_short port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return a;
}

u_short PortOf(SOCKET s) {
  sockaddr_in a{};
  int length = sizeof a;
  if (getsockname(s, (sockaddr*)&a, &length) != 0) return 0;
  return ntohs(a.sin_port);
}

SOCKET BoundUdp() {
  SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in a = Loopback(0);
  EXPECT_EQ(bind(s, (sockaddr*)&a, sizeof a), 0);
  return s;
}

SOCKET NonBlocking(SOCKET s) {
  u_long on = 1;
  EXPECT_EQ(ioctlsocket(s, FIONBIO, &on), 0);
  return s;
}

SOCKET Listening() {
  SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a = Loopback(0);
  EXPECT_EQ(bind(s, (sockaddr*)&a, sizeof a), 0);
  EXPECT_EQ(listen(s, SOMAXCONN), 0);
  return s;
}

SOCKET ConnectTo(SOCKET listening) {
  SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a = Loopback(PortOf(listening));
  EXPECT_EQ(connect(s, (sockaddr*)&a, sizeof a), 0) << WSAGetLastError();
  return s;
}

u_short FreePort() {
  SOCKET s = Listening();
  u_short port = PortOf(s);
  closesocket(s);
  return port;
}

int SendTo(SOCKET from, SOCKET to, const std::string& data) {
  sockaddr_in a = Loopback(PortOf(to));
  return sendto(from, data.data(), (int)data.size(), 0, (sockaddr*)&a, sizeof a);
}

int LastErrorAfter(int result) {
  return result == SOCKET_ERROR ? WSAGetLastError() : 0;
}

std::vector<LPARAM> Notifications(SOCKET s, UINT message) {
  wintest::Drain();
  wintest::Drain();
  std::vector<LPARAM> seen;
  for (const wintest::Seen& m : wintest::Log()) {
    if (m.message == message && m.wParam == s) seen.push_back(m.lParam);
  }
  wintest::Log().clear();
  return seen;
}

int SetOption(SOCKET s, int level, int name, int value) {
  return setsockopt(s, level, name, (const char*)&value, sizeof value);
}

std::function<void(UINT, WPARAM, LPARAM)>& OnMessage() {
  static std::function<void(UINT, WPARAM, LPARAM)> handler;
  return handler;
}

namespace {
LRESULT CALLBACK ActionProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message < WM_USER) return DefWindowProc(hwnd, message, wParam, lParam);
  if (OnMessage()) OnMessage()(message, wParam, lParam);
  return 0;
}
}  // namespace

HWND MakeActionWindow() {
  WNDCLASS wc{};
  wc.lpfnWndProc = ActionProc;
  wc.lpszClassName = "NetAction";
  RegisterClass(&wc);
  return CreateWindow("NetAction", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
}

}  // namespace nettest
