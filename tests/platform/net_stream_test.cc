// Stream sockets as the FTP engine uses them: connect (blocking and not),
// accept, send and receive, urgent data, address reuse, and the notifications
// a stream can give.
#include "tests/platform/net_test_support.h"
#include "tests/platform/win_test_support.h"

using nettest::ConnectTo;
using nettest::LastErrorAfter;
using nettest::Listening;
using nettest::Loopback;
using nettest::PortOf;
using nettest::SetOption;

namespace {

constexpr UINT kSocketMessage = WM_USER + 7;

class Streams : public nettest::WinSockTest {};

std::string ReceiveExactly(SOCKET s, size_t count) {
  std::string data;
  char buffer[256];
  while (data.size() < count) {
    int n = recv(s, buffer, (int)std::min(sizeof buffer, count - data.size()), 0);
    if (n <= 0) break;
    data.append(buffer, n);
  }
  return data;
}

TEST_F(Streams, AcceptedConnectionCarriesDataBothWaysAndKnowsBothEnds) {
  SOCKET listener = Listening();
  SOCKET client = ConnectTo(listener);
  sockaddr_in from{};
  int fromLength = sizeof from;
  SOCKET server = accept(listener, (sockaddr*)&from, &fromLength);
  ASSERT_NE(server, INVALID_SOCKET);
  EXPECT_EQ(fromLength, (int)sizeof from);
  EXPECT_EQ(ntohs(from.sin_port), PortOf(client));

  sockaddr_in peer{};
  int peerLength = sizeof peer;
  ASSERT_EQ(getpeername(client, (sockaddr*)&peer, &peerLength), 0);
  EXPECT_EQ(ntohs(peer.sin_port), PortOf(listener));
  EXPECT_EQ(peer.sin_addr.s_addr, htonl(INADDR_LOOPBACK));

  EXPECT_EQ(send(client, "USER anonymous\r\n", 16, 0), 16);
  EXPECT_EQ(ReceiveExactly(server, 16), "USER anonymous\r\n");
  EXPECT_EQ(send(server, "331 ok\r\n", 8, 0), 8);
  EXPECT_EQ(ReceiveExactly(client, 8), "331 ok\r\n");
  ASSERT_EQ(closesocket(client), 0);
  char c;
  EXPECT_EQ(recv(server, &c, 1, 0), 0);
}

TEST_F(Streams, ABlockingSendLargerThanTheBuffersCompletesWhileNotificationsDrainThePeer) {
  SOCKET listener = Listening();
  SOCKET client = ConnectTo(listener);
  SOCKET server = accept(listener, nullptr, nullptr);
  HWND hwnd = nettest::MakeActionWindow();
  size_t received = 0;
  int notifications = 0;
  nettest::OnMessage() = [&](UINT message, WPARAM wParam, LPARAM) {
    if (message != kSocketMessage) return;
    ++notifications;
    char buffer[65536];
    int n;
    while ((n = recv((SOCKET)wParam, buffer, sizeof buffer, 0)) > 0)
      received += n;
  };
  ASSERT_EQ(WSAAsyncSelect(server, hwnd, kSocketMessage, FD_READ), 0);
  std::string data(8 << 20, 'd');
  EXPECT_EQ(send(client, data.data(), (int)data.size(), 0), (int)data.size());
  wintest::Drain();
  EXPECT_EQ(received, data.size());
  EXPECT_GT(notifications, 1);
}

TEST_F(Streams, ConnectingWhereNobodyListensIsRefused) {
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in a = Loopback(nettest::FreePort());
  EXPECT_EQ(LastErrorAfter(connect(s, (sockaddr*)&a, sizeof a)), WSAECONNREFUSED);
}

TEST_F(Streams, ANonBlockingConnectWouldBlockAndSelectTellsHowItEnded) {
  struct Case {
    bool listening;
    bool writable;
    bool failed;
    int error;
  };
  SOCKET listener = Listening();
  for (Case c : {Case{true, true, false, 0}, Case{false, false, true, WSAECONNREFUSED}}) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    u_long on = 1;
    ASSERT_EQ(ioctlsocket(s, FIONBIO, &on), 0);
    sockaddr_in a = Loopback(c.listening ? PortOf(listener) : nettest::FreePort());
    EXPECT_EQ(LastErrorAfter(connect(s, (sockaddr*)&a, sizeof a)), WSAEWOULDBLOCK);
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(s, &writable);
    FD_SET(s, &failed);
    timeval limit{5, 0};
    EXPECT_EQ(select(0, nullptr, &writable, &failed, &limit), 1);
    EXPECT_EQ((bool)FD_ISSET(s, &writable), c.writable);
    EXPECT_EQ((bool)FD_ISSET(s, &failed), c.failed);
    int error = -1;
    int length = sizeof error;
    ASSERT_EQ(getsockopt(s, SOL_SOCKET, SO_ERROR, (char*)&error, &length), 0);
    EXPECT_EQ(error, c.error);
    closesocket(s);
  }
}

TEST_F(Streams, UrgentDataArrivesInlineInItsPlaceWithOobInline) {
  SOCKET listener = Listening();
  SOCKET client = ConnectTo(listener);
  SOCKET server = accept(listener, nullptr, nullptr);
  ASSERT_EQ(SetOption(server, SOL_SOCKET, SO_OOBINLINE, 1), 0);
  int inlined = 0;
  int length = sizeof inlined;
  ASSERT_EQ(getsockopt(server, SOL_SOCKET, SO_OOBINLINE, (char*)&inlined, &length), 0);
  EXPECT_NE(inlined, 0);
  ASSERT_EQ(send(client, "ab", 2, 0), 2);
  ASSERT_EQ(send(client, "\xff\xf4\xff", 3, MSG_OOB), 3);
  ASSERT_EQ(send(client,
                 "\xf2"
                 "ABOR\r\n",
                 7, 0),
            7);
  EXPECT_EQ(ReceiveExactly(server, 12),
            "ab\xff\xf4\xff\xf2"
            "ABOR\r\n");
}

TEST_F(Streams, ReuseAddressLetsAListenerTakeTheLocalPortOfAConnection) {
  SOCKET listener = Listening();
  SOCKET control = ConnectTo(listener);
  sockaddr_in local = Loopback(PortOf(control));

  SOCKET plain = socket(AF_INET, SOCK_STREAM, 0);
  EXPECT_EQ(LastErrorAfter(bind(plain, (sockaddr*)&local, sizeof local)), WSAEADDRINUSE);

  SOCKET data = socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_EQ(SetOption(data, SOL_SOCKET, SO_REUSEADDR, 1), 0);
  ASSERT_EQ(bind(data, (sockaddr*)&local, sizeof local), 0) << WSAGetLastError();
  ASSERT_EQ(listen(data, 1), 0) << WSAGetLastError();
  SOCKET incoming = ConnectTo(data);
  EXPECT_NE(accept(data, nullptr, nullptr), INVALID_SOCKET);
  closesocket(incoming);
}

TEST_F(Streams, SendingAfterOurShutdownOrThePeersResetTellsWhich) {
  SOCKET listener = Listening();
  SOCKET client = ConnectTo(listener);
  ASSERT_NE(accept(listener, nullptr, nullptr), INVALID_SOCKET);
  ASSERT_EQ(shutdown(client, 1), 0);
  EXPECT_EQ(LastErrorAfter(send(client, "x", 1, 0)), WSAESHUTDOWN);

  // Linger on with no time makes closing reset the connection.
  linger abortive{1, 0};
  SOCKET other = ConnectTo(listener);
  SOCKET otherServer = accept(listener, nullptr, nullptr);
  ASSERT_EQ(setsockopt(otherServer, SOL_SOCKET, SO_LINGER, (const char*)&abortive, sizeof abortive),
            0);
  ASSERT_EQ(closesocket(otherServer), 0);
  char c;
  EXPECT_EQ(LastErrorAfter(recv(other, &c, 1, 0)), WSAECONNRESET);
}

TEST_F(Streams, ListenersAnnounceConnectionsAndStreamsAnnounceDataThenTheirEnd) {
  SOCKET listener = Listening();
  HWND hwnd = wintest::MakeWindow();
  ASSERT_EQ(WSAAsyncSelect(listener, hwnd, kSocketMessage, FD_ACCEPT), 0);
  auto events = [](SOCKET s) {
    std::vector<int> seen;
    for (LPARAM l : nettest::Notifications(s, kSocketMessage))
      seen.push_back(WSAGETSELECTEVENT(l));
    return seen;
  };
  wintest::Log().clear();
  SOCKET client = ConnectTo(listener);
  EXPECT_EQ(events(listener), std::vector<int>{FD_ACCEPT});
  SOCKET server = accept(listener, nullptr, nullptr);
  ASSERT_NE(server, INVALID_SOCKET);
  EXPECT_TRUE(events(listener).empty());

  // The accepted socket inherits the listener's registration, so it is non-blocking.
  char c;
  EXPECT_EQ(LastErrorAfter(recv(server, &c, 1, 0)), WSAEWOULDBLOCK);
  ASSERT_EQ(WSAAsyncSelect(server, hwnd, kSocketMessage, FD_READ | FD_CLOSE), 0);
  ASSERT_EQ(send(client, "x", 1, 0), 1);
  ASSERT_EQ(closesocket(client), 0);
  EXPECT_EQ(events(server), std::vector<int>{FD_READ});
  EXPECT_EQ(recv(server, &c, 1, 0), 1);
  EXPECT_EQ(events(server), std::vector<int>{FD_CLOSE});
  EXPECT_EQ(recv(server, &c, 1, 0), 0);
  EXPECT_TRUE(events(server).empty());
}

TEST_F(Streams, OptionsAreWinSocksOwnNamesAndSizes) {
  SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  struct Case {
    int level, name, set;
  };
  for (Case c : {Case{SOL_SOCKET, SO_KEEPALIVE, 1}, Case{IPPROTO_TCP, TCP_NODELAY, 1},
                 Case{SOL_SOCKET, SO_REUSEADDR, 1}, Case{SOL_SOCKET, SO_KEEPALIVE, 0}}) {
    ASSERT_EQ(SetOption(s, c.level, c.name, c.set), 0) << c.name;
    int value = -1;
    int length = sizeof value;
    ASSERT_EQ(getsockopt(s, c.level, c.name, (char*)&value, &length), 0) << c.name;
    EXPECT_EQ(value != 0, c.set != 0) << c.name;
    EXPECT_EQ(length, (int)sizeof value);
  }
  int type = 0;
  int length = sizeof type;
  ASSERT_EQ(getsockopt(s, SOL_SOCKET, SO_TYPE, (char*)&type, &length), 0);
  EXPECT_EQ(type, SOCK_STREAM);
  linger l{1, 7};
  ASSERT_EQ(setsockopt(s, SOL_SOCKET, SO_LINGER, (const char*)&l, sizeof l), 0);
  linger back{};
  length = sizeof back;
  ASSERT_EQ(getsockopt(s, SOL_SOCKET, SO_LINGER, (char*)&back, &length), 0);
  EXPECT_EQ(back.l_onoff, 1);
  EXPECT_EQ(back.l_linger, 7);

  EXPECT_EQ(LastErrorAfter(SetOption(s, SOL_SOCKET, 0x4242, 1)), WSAENOPROTOOPT);
  EXPECT_EQ(LastErrorAfter(SetOption(s, 1234, SO_KEEPALIVE, 1)), WSAEINVAL);
  char shortValue = 1;
  EXPECT_EQ(LastErrorAfter(setsockopt(s, SOL_SOCKET, SO_KEEPALIVE, &shortValue, 1)), WSAEFAULT);
}

}  // namespace
