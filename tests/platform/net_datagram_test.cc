// Datagram sockets and read notifications, as the server's endpoints use them:
// one FD_READ per datagram, never two pending, and the reads a notification
// leads to (zero-length datagrams, would-block, oversized datagrams).
#include <fcntl.h>

#include "tests/platform/net_test_support.h"
#include "tests/platform/win_test_support.h"

using nettest::BoundUdp;
using nettest::LastErrorAfter;
using nettest::Notifications;
using nettest::SendTo;

namespace {

constexpr UINT kSocketMessage = 3024;

// A socket s with a peer that sends to it, and a window for its notifications.
class Datagrams : public nettest::WinSockTest {
 protected:
  void SetUp() override {
    nettest::WinSockTest::SetUp();
    s = BoundUdp();
    peer = BoundUdp();
    hwnd = wintest::MakeWindow();
  }

  int AskForReads() { return WSAAsyncSelect(s, hwnd, kSocketMessage, FD_READ); }

  int Read(char* buffer, int size, sockaddr_in* from = nullptr) {
    sockaddr_in ignored;
    int length = sizeof(sockaddr_in);
    return recvfrom(s, buffer, size, 0, (sockaddr*)(from ? from : &ignored), &length);
  }

  SOCKET s = INVALID_SOCKET;
  SOCKET peer = INVALID_SOCKET;
  HWND hwnd = nullptr;
};

TEST_F(Datagrams, EachDatagramIsAnnouncedOnceAndOnlyAfterThePreviousOneWasRead) {
  ASSERT_EQ(AskForReads(), 0);
  for (const char* text : {"a", "bb", "ccc"})
    ASSERT_EQ(SendTo(peer, s, text), (int)strlen(text));

  char buffer[16];
  for (int expected = 1; expected <= 3; ++expected) {
    EXPECT_EQ(Notifications(s, kSocketMessage), std::vector<LPARAM>{WSAMAKESELECTREPLY(FD_READ, 0)})
        << "before datagram " << expected;
    EXPECT_EQ(Read(buffer, sizeof buffer), expected);
  }
  EXPECT_TRUE(Notifications(s, kSocketMessage).empty());
}

// After a read, the next waiting datagram is read ahead (so that a busy socket costs
// no poll per datagram); every call must still see it as if it were queued.
TEST_F(Datagrams, ADatagramReadAheadBehavesAsIfItWereStillQueued) {
  ASSERT_EQ(AskForReads(), 0);
  ASSERT_EQ(SendTo(peer, s, "one"), 3);
  ASSERT_EQ(SendTo(peer, s, "second"), 6);
  ASSERT_EQ(Notifications(s, kSocketMessage).size(), 1u);
  char buffer[400] = {};
  ASSERT_EQ(Read(buffer, sizeof buffer), 3);  // "second" is held now; the kernel has nothing

  u_long pending = 0;
  ASSERT_EQ(ioctlsocket(s, FIONREAD, &pending), 0);
  EXPECT_EQ(pending, 6u);
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(s, &readable);
  timeval now{0, 0};
  EXPECT_EQ(select(0, &readable, nullptr, nullptr, &now), 1);
  EXPECT_TRUE(FD_ISSET(s, &readable));
  EXPECT_EQ(recv(s, buffer, sizeof buffer, MSG_PEEK), 6);
  sockaddr_in from{};
  EXPECT_EQ(Read(buffer, sizeof buffer, &from), 6);
  EXPECT_EQ(std::string(buffer, 6), "second");
  EXPECT_EQ(ntohs(from.sin_port), nettest::PortOf(peer));

  // A held datagram too big for the buffer is cut with WSAEMSGSIZE, and is gone.
  std::string big(300, 'z');
  big.replace(0, 3, "big");
  ASSERT_EQ(SendTo(peer, s, "x"), 1);
  ASSERT_EQ(SendTo(peer, s, big), 300);
  ASSERT_FALSE(Notifications(s, kSocketMessage).empty());
  ASSERT_EQ(Read(buffer, sizeof buffer), 1);
  EXPECT_EQ(LastErrorAfter(Read(buffer, 10)), WSAEMSGSIZE);
  EXPECT_EQ(std::string(buffer, 3), "big");
  EXPECT_EQ(LastErrorAfter(Read(buffer, sizeof buffer)), WSAEWOULDBLOCK);

  // A datagram held when notifications stop is still there for a plain read.
  ASSERT_EQ(SendTo(peer, s, "x"), 1);
  ASSERT_EQ(SendTo(peer, s, "kept"), 4);
  ASSERT_FALSE(Notifications(s, kSocketMessage).empty());
  ASSERT_EQ(Read(buffer, sizeof buffer), 1);
  ASSERT_EQ(WSAAsyncSelect(s, nullptr, 0, 0), 0);
  EXPECT_EQ(Read(buffer, sizeof buffer), 4);
}

TEST_F(Datagrams, AZeroLengthDatagramReadsAsZeroAndANotificationWithoutDataWouldBlock) {
  ASSERT_EQ(AskForReads(), 0);
  ASSERT_EQ(SendTo(peer, s, ""), 0);
  EXPECT_EQ(Notifications(s, kSocketMessage).size(), 1u);
  char buffer[16];
  sockaddr_in from{};
  EXPECT_EQ(Read(buffer, sizeof buffer, &from), 0);
  EXPECT_EQ(ntohs(from.sin_port), nettest::PortOf(peer));
  EXPECT_EQ(LastErrorAfter(Read(buffer, sizeof buffer)), WSAEWOULDBLOCK);
}

TEST_F(Datagrams, ADatagramLongerThanTheBufferFillsItAndFailsWithMessageSize) {
  u_long nonBlocking = 1;
  ASSERT_EQ(ioctlsocket(s, FIONBIO, &nonBlocking), 0);
  std::string datagram(9300, 'x');
  datagram.replace(0, 4, "head");
  ASSERT_EQ(SendTo(peer, s, datagram), 9300);
  std::vector<char> buffer(9216 + 1, 0);
  sockaddr_in from{};
  EXPECT_EQ(LastErrorAfter(Read(buffer.data(), 9216, &from)), WSAEMSGSIZE);
  EXPECT_EQ(std::string(buffer.data(), 4), "head");
  EXPECT_EQ(buffer[9215], 'x');
  EXPECT_EQ(buffer[9216], 0);
  EXPECT_EQ(ntohs(from.sin_port), nettest::PortOf(peer));
  // The rest of that datagram is gone, as in WinSock.
  EXPECT_EQ(LastErrorAfter(Read(buffer.data(), 9216)), WSAEWOULDBLOCK);
}

TEST_F(Datagrams, AClosedSocketIsNeverAnnouncedAgain) {
  ASSERT_EQ(AskForReads(), 0);
  ASSERT_EQ(SendTo(peer, s, "late"), 4);
  ASSERT_EQ(closesocket(s), 0);
  // A socket that reuses the number must not inherit the registration either.
  SOCKET next = BoundUdp();
  ASSERT_EQ(SendTo(peer, next, "fresh"), 5);
  EXPECT_TRUE(Notifications(s, kSocketMessage).empty());
  EXPECT_TRUE(Notifications(next, kSocketMessage).empty());
}

TEST_F(Datagrams, CancellingNotificationsLeavesTheSocketNonBlocking) {
  ASSERT_EQ(AskForReads(), 0);
  u_long blocking = 0;
  EXPECT_EQ(LastErrorAfter(ioctlsocket(s, FIONBIO, &blocking)), WSAEINVAL);

  ASSERT_EQ(WSAAsyncSelect(s, nullptr, 0, 0), 0);
  ASSERT_EQ(SendTo(peer, s, "quiet"), 5);
  EXPECT_TRUE(Notifications(s, kSocketMessage).empty());
  char buffer[16];
  EXPECT_EQ(Read(buffer, sizeof buffer), 5);
  EXPECT_EQ(LastErrorAfter(Read(buffer, sizeof buffer)), WSAEWOULDBLOCK);
}

TEST_F(Datagrams, NotificationsAreAskedOnlyForEventsTheLayerDeliversAndForLiveWindows) {
  EXPECT_EQ(LastErrorAfter(WSAAsyncSelect(s, hwnd, kSocketMessage, FD_READ | FD_WRITE)), WSAEINVAL);
  DestroyWindow(hwnd);
  EXPECT_EQ(LastErrorAfter(WSAAsyncSelect(s, hwnd, kSocketMessage, FD_READ)), WSAEINVAL);
}

TEST_F(Datagrams, ABoundPortCannotBeBoundAgain) {
  for (int type : {SOCK_DGRAM, SOCK_STREAM}) {
    SOCKET first = socket(AF_INET, type, 0);
    sockaddr_in any{};
    any.sin_family = AF_INET;
    ASSERT_EQ(bind(first, (sockaddr*)&any, sizeof any), 0);
    if (type == SOCK_STREAM) ASSERT_EQ(listen(first, 1), 0);
    any.sin_port = htons(nettest::PortOf(first));
    SOCKET second = socket(AF_INET, type, 0);
    EXPECT_EQ(LastErrorAfter(bind(second, (sockaddr*)&any, sizeof any)), WSAEADDRINUSE)
        << "type " << type;
  }
}

TEST_F(Datagrams, NumbersThatAreNotOurSocketsAreRefusedAndLeftAlone) {
  ASSERT_EQ(closesocket(s), 0);
  char buffer[4];
  EXPECT_EQ(LastErrorAfter(recv(s, buffer, sizeof buffer, 0)), WSAENOTSOCK);
  EXPECT_EQ(LastErrorAfter(closesocket(s)), WSAENOTSOCK);
  // Descriptor 0 is the process's standard input, not a socket of the program.
  EXPECT_EQ(LastErrorAfter(closesocket(0)), WSAENOTSOCK);
  EXPECT_NE(fcntl(0, F_GETFD), -1);
  EXPECT_EQ(LastErrorAfter(closesocket(INVALID_SOCKET)), WSAENOTSOCK);
}

}  // namespace
