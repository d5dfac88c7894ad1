// WSAStartup's version negotiation, its test overrides, and what the library
// does before it is started and after it is cleaned up.
#include <stdlib.h>

#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "platform/winsock.h"

namespace {

struct Negotiation {
  const char* environment;  // PLATFORM_WINSOCK, or null
  WORD requested;
  int result;
  WORD granted;
  WORD highest;
};

TEST(WinSockStartup, GrantsTheLowerOfTheRequestedAndTheOfferedVersion) {
  const Negotiation cases[] = {
      {nullptr, MAKEWORD(1, 1), 0, MAKEWORD(1, 1), MAKEWORD(1, 1)},
      {nullptr, MAKEWORD(2, 2), 0, MAKEWORD(1, 1), MAKEWORD(1, 1)},
      {nullptr, MAKEWORD(1, 0), 0, MAKEWORD(1, 0), MAKEWORD(1, 1)},
      {nullptr, MAKEWORD(0, 9), WSAVERNOTSUPPORTED, 0, MAKEWORD(1, 1)},
      {"1.0", MAKEWORD(1, 1), 0, MAKEWORD(1, 0), MAKEWORD(1, 0)},
      {"1.0", MAKEWORD(2, 0), 0, MAKEWORD(1, 0), MAKEWORD(1, 0)},
      {"3.0", MAKEWORD(2, 0), 0, MAKEWORD(1, 1), MAKEWORD(1, 1)},
      {"refuse", MAKEWORD(1, 1), WSASYSNOTREADY, 0, 0},
  };
  for (const Negotiation& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.environment ? c.environment : "-") << " asking "
                                    << (int)LOBYTE(c.requested) << "." << (int)HIBYTE(c.requested));
    if (c.environment)
      setenv("PLATFORM_WINSOCK", c.environment, 1);
    else
      unsetenv("PLATFORM_WINSOCK");
    WSADATA data{};
    EXPECT_EQ(WSAStartup(c.requested, &data), c.result);
    if (c.result == 0) {
      EXPECT_EQ(data.wVersion, c.granted);
      EXPECT_EQ(data.wHighVersion, c.highest);
      EXPECT_GE(data.iMaxUdpDg, 9216);
      EXPECT_GT(data.iMaxSockets, 0);
      EXPECT_EQ(WSACleanup(), 0);
    }
    // A failed start-up leaves nothing to clean up.
    EXPECT_EQ(WSACleanup(), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
  }
}

TEST(WinSockStartup, EveryCallButTheAddressHelpersNeedsTheLibraryStarted) {
  char name[256];
  fd_set set;
  FD_ZERO(&set);
  FD_SET(3, &set);
  timeval zero{0, 0};
  // Each returns whether the call failed.
  const std::pair<const char*, std::function<bool()>> calls[] = {
      {"socket", [] { return socket(AF_INET, SOCK_DGRAM, 0) == INVALID_SOCKET; }},
      {"gethostname", [&] { return gethostname(name, sizeof name) == SOCKET_ERROR; }},
      {"gethostbyname", [] { return gethostbyname("localhost") == nullptr; }},
      {"getservbyname", [] { return getservbyname("ftp", "tcp") == nullptr; }},
      {"select", [&] { return select(0, &set, nullptr, nullptr, &zero) == SOCKET_ERROR; }},
      {"closesocket", [] { return closesocket(3) == SOCKET_ERROR; }},
      {"WSACancelBlockingCall", [] { return WSACancelBlockingCall() == SOCKET_ERROR; }},
      {"WSACleanup", [] { return WSACleanup() == SOCKET_ERROR; }},
  };
  for (const auto& [call, failed] : calls) {
    WSASetLastError(0);
    EXPECT_TRUE(failed()) << call;
    EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED) << call;
  }
  EXPECT_EQ(inet_addr("10.0.0.1"), htonl(0x0a000001));
  EXPECT_FALSE(WSAIsBlocking());
}

TEST(WinSockStartup, TheLastCleanupClosesTheSocketsLeftOpen) {
  WSADATA data;
  ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
  ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
  SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
  ASSERT_NE(s, INVALID_SOCKET);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(s, (sockaddr*)&a, sizeof a), 0);
  int length = sizeof a;
  ASSERT_EQ(getsockname(s, (sockaddr*)&a, &length), 0);

  ASSERT_EQ(WSACleanup(), 0);  // one start-up is still in force
  EXPECT_NE(socket(AF_INET, SOCK_DGRAM, 0), INVALID_SOCKET);
  ASSERT_EQ(WSACleanup(), 0);
  EXPECT_EQ(socket(AF_INET, SOCK_DGRAM, 0), INVALID_SOCKET);

  ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
  SOCKET again = socket(AF_INET, SOCK_DGRAM, 0);
  EXPECT_EQ(bind(again, (sockaddr*)&a, sizeof a), 0) << "port still taken: " << WSAGetLastError();
  WSACleanup();
}

}  // namespace
