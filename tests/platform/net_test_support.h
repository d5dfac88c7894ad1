// Shared pieces of the WinSock tests: a started library, loopback sockets, and
// a window whose procedure runs what the test hands it, so that tests can act
// from inside a blocking call's hook the way a program's window procedure does.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/windows.h"
#include "platform/winsock.h"

namespace nettest {

class WinSockTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
};

sockaddr_in Loopback(u_short port);  // 127.0.0.1, port in host order
u_short PortOf(SOCKET s);            // the local port, in host order
SOCKET BoundUdp();                   // on 127.0.0.1 with a port the system chose
// A socket in non-blocking mode: its calls never wait, so a window procedure
// may use it while a blocking call is in progress.
SOCKET NonBlocking(SOCKET s);
SOCKET Listening();                  // TCP, listening on 127.0.0.1
SOCKET ConnectTo(SOCKET listening);  // a blocking connect to it
// A port nothing listens on (taken from the system, then released).
u_short FreePort();

int SendTo(SOCKET from, SOCKET to, const std::string& data);
// WSAGetLastError after a call that failed with SOCKET_ERROR, else 0.
int LastErrorAfter(int result);
// The lParams of the `message` notifications for s dispatched since the last
// look, after draining the queue twice over so that a second pending one shows.
std::vector<LPARAM> Notifications(SOCKET s, UINT message);
int SetOption(SOCKET s, int level, int name, int value);

// A window whose procedure calls OnMessage(message, wParam, lParam) and
// returns 0 for the messages it handles (WM_USER and above).
HWND MakeActionWindow();
std::function<void(UINT, WPARAM, LPARAM)>& OnMessage();

}  // namespace nettest
