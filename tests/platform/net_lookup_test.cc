// Host look-ups through the system resolver, against a name server played by
// the test on 127.0.0.1:53 in a private network namespace. The server's socket
// is read by a window procedure, so its answers also show that messages are
// served while gethostbyname waits.
#include <sys/wait.h>

#include <algorithm>

#include "tests/platform/net_private_files.h"
#include "tests/platform/net_test_support.h"

namespace {

constexpr UINT kQuery = WM_USER + 53;

enum class Answer { kAddresses, kNoSuchName, kCancel };

class Lookups : public nettest::WinSockTest {
 protected:
  void SetUp() override {
    nettest::WinSockTest::SetUp();
    ASSERT_TRUE(nettest::OverrideSystemFile(
        "/etc/resolv.conf", "nameserver 127.0.0.1\noptions timeout:30 attempts:1\n"));
    server_ = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a = nettest::Loopback(53);
    ASSERT_EQ(bind(server_, (sockaddr*)&a, sizeof a), 0) << WSAGetLastError();
    ASSERT_EQ(WSAAsyncSelect(server_, nettest::MakeActionWindow(), kQuery, FD_READ), 0);
    nettest::OnMessage() = [this](UINT message, WPARAM, LPARAM) {
      if (message == kQuery) Serve();
    };
  }

  // Answers one query: the question comes back with the answer records, or
  // with "no such name", or the look-up waiting for it is cancelled instead.
  void Serve() {
    char query[512];
    sockaddr_in from{};
    int fromLength = sizeof from;
    int n = recvfrom(server_, query, sizeof query, 0, (sockaddr*)&from, &fromLength);
    if (n < 12) return;
    ++queries_;
    if (answer_ == Answer::kCancel) {
      cancelled_ = WSACancelBlockingCall() == 0;
      return;
    }
    size_t end = 12;
    while (end < (size_t)n && query[end])
      end += 1 + (unsigned char)query[end];
    end += 1 + 4;  // the root label, then type and class
    std::string reply(query, std::min(end, (size_t)n));
    bool found = answer_ == Answer::kAddresses;
    reply[2] = (char)0x81;                   // a response; recursion desired
    reply[3] = (char)(found ? 0x80 : 0x83);  // recursion available; no error or no such name
    reply.replace(6, 6, std::string{0, (char)(found ? addresses_.size() : 0), 0, 0, 0, 0});
    for (uint32_t address : found ? addresses_ : std::vector<uint32_t>{}) {
      reply += std::string("\xc0\x0c\x00\x01\x00\x01\x00\x00\x00\x3c\x00\x04", 12);
      reply.append((const char*)&address, 4);
    }
    sendto(server_, reply.data(), (int)reply.size(), 0, (sockaddr*)&from, fromLength);
  }

  SOCKET server_ = INVALID_SOCKET;
  Answer answer_ = Answer::kAddresses;
  std::vector<uint32_t> addresses_;
  int queries_ = 0;
  bool cancelled_ = false;
};

TEST_F(Lookups, TheEntryHoldsTheNameAndEveryAddressTheServerGave) {
  for (const char* text : {"127.0.0.2", "127.0.0.3", "127.0.0.4"})
    addresses_.push_back((uint32_t)inet_addr(text));
  hostent* entry = gethostbyname("three.example");
  ASSERT_NE(entry, nullptr) << WSAGetLastError();
  EXPECT_STREQ(entry->h_name, "three.example");
  EXPECT_EQ(entry->h_addrtype, AF_INET);
  EXPECT_EQ(entry->h_length, 4);
  std::vector<uint32_t> seen;
  for (char** a = entry->h_addr_list; *a; ++a)
    seen.push_back(*(uint32_t*)*a);
  // The order is the resolver's (it may sort by reachability); all must be there.
  std::sort(seen.begin(), seen.end());
  std::sort(addresses_.begin(), addresses_.end());
  EXPECT_EQ(seen, addresses_);
  EXPECT_GE(queries_, 1);
}

TEST_F(Lookups, ANameTheServerDoesNotKnowIsHostNotFound) {
  answer_ = Answer::kNoSuchName;
  EXPECT_EQ(gethostbyname("missing.example"), nullptr);
  EXPECT_EQ(WSAGetLastError(), WSAHOST_NOT_FOUND);
  EXPECT_GE(queries_, 1);
}

TEST_F(Lookups, CancellingTheWaitEndsTheLookUpAndTheResolverProcess) {
  answer_ = Answer::kCancel;
  EXPECT_EQ(gethostbyname("silent.example"), nullptr);
  EXPECT_EQ(WSAGetLastError(), WSAEINTR);
  EXPECT_EQ(queries_, 1);
  EXPECT_TRUE(cancelled_);
  EXPECT_FALSE(WSAIsBlocking());
  // The resolver was killed and reaped: no child is left, not even a zombie.
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

}  // namespace
