// Addresses and names: inet_addr's BSD forms, inet_ntoa, the services file,
// the host name, and host look-ups that need no network.
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include "tests/platform/net_test_support.h"

namespace {

class Names : public nettest::WinSockTest {};

TEST(InetAddr, AcceptsTheBsdDottedFormsAndNothingElse) {
  struct Case {
    const char* text;
    u_long hostOrder;  // INADDR_NONE when refused
  };
  const Case cases[] = {
      {"127.0.0.1", 0x7f000001},
      {"10.1.2.3", 0x0a010203},
      {"10.1.515", 0x0a010203},       // a.b.c: c fills 16 bits
      {"10.66051", 0x0a010203},       // a.b: b fills 24 bits
      {"167838211", 0x0a010203},      // a: 32 bits
      {"0x0a.0x1.02.3", 0x0a010203},  // hexadecimal and octal parts
      {"012.1.2.3", 0x0a010203},
      {"0.0.0.0", 0},
      {"1.2.3.4 trailing words", 0x01020304},
      {"255.255.255.255", INADDR_NONE},  // is the refusal value too, as in WinSock
      {"", INADDR_NONE},
      {"ftp.example.com", INADDR_NONE},
      {"1.2.3.4.5", INADDR_NONE},
      {"256.1.1.1", INADDR_NONE},
      {"1.2.3.256", INADDR_NONE},
      {"1.2.65536", INADDR_NONE},
      {"1..2.3", INADDR_NONE},
      {"1.2.3.", INADDR_NONE},
      {"08.1.1.1", INADDR_NONE},
      {"0x", INADDR_NONE},
      {"4294967296", INADDR_NONE},
      {"1.2.3.4x", INADDR_NONE},
  };
  for (const Case& c : cases) {
    u_long expected = c.hostOrder == INADDR_NONE ? INADDR_NONE : htonl(c.hostOrder);
    EXPECT_EQ(inet_addr(c.text), expected) << '"' << c.text << '"';
  }
}

TEST(InetNtoa, WritesDottedDecimalInNetworkOrder) {
  in_addr a;
  a.s_addr = htonl(0xc0a80a01);
  EXPECT_STREQ(inet_ntoa(a), "192.168.10.1");
  a.s_addr = inet_addr("0.0.0.255");
  EXPECT_STREQ(inet_ntoa(a), "0.0.0.255");
}

TEST_F(Names, ServicesComeFromTheNamedFileByNameOrAliasAndProtocol) {
  char path[] = "/tmp/services-XXXXXX";
  int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  const char text[] =
      "# test services\n"
      "ftp\t\t21/tcp\n"
      "fsp\t\t21/udp\t\tfspd\n"
      "pcnfsd\t\t640/udp\t\tpcnfs   # a comment\n"
      "broken\t\tx/udp\n"
      "nfs\t\t2049/tcp\n"
      "nfs\t\t2049/udp\t\tnfsd\n"
      "noport\n";
  ASSERT_EQ(write(fd, text, sizeof text - 1), (ssize_t)(sizeof text - 1));
  close(fd);
  setenv("PLATFORM_SERVICES", path, 1);

  struct Case {
    const char* name;
    const char* protocol;
    const char* official;  // null: not found
    int port;
    const char* proto;
  };
  const Case cases[] = {
      {"ftp", "tcp", "ftp", 21, "tcp"},       {"ftp", "udp", nullptr, 0, nullptr},
      {"fspd", nullptr, "fsp", 21, "udp"},    {"pcnfsd", "udp", "pcnfsd", 640, "udp"},
      {"pcnfs", "udp", "pcnfsd", 640, "udp"}, {"nfsd", "udp", "nfs", 2049, "udp"},
      {"nfs", nullptr, "nfs", 2049, "tcp"},   {"broken", nullptr, nullptr, 0, nullptr},
      {"FTP", "tcp", nullptr, 0, nullptr},    {"noport", nullptr, nullptr, 0, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.name << "/" << (c.protocol ? c.protocol : "any"));
    servent* s = getservbyname(c.name, c.protocol);
    if (!c.official) {
      EXPECT_EQ(s, nullptr);
      EXPECT_EQ(WSAGetLastError(), WSANO_DATA);
      continue;
    }
    ASSERT_NE(s, nullptr);
    EXPECT_STREQ(s->s_name, c.official);
    EXPECT_EQ(ntohs((u_short)s->s_port), c.port);
    EXPECT_STREQ(s->s_proto, c.proto);
  }
  servent* pcnfsd = getservbyname("pcnfsd", "udp");
  ASSERT_NE(pcnfsd, nullptr);
  ASSERT_NE(pcnfsd->s_aliases[0], nullptr);
  EXPECT_STREQ(pcnfsd->s_aliases[0], "pcnfs");
  EXPECT_EQ(pcnfsd->s_aliases[1], nullptr);
  unlink(path);
}

TEST_F(Names, TheHostNameNeedsRoomForItsTerminator) {
  char name[256];
  ASSERT_EQ(gethostname(name, sizeof name), 0);
  int size = (int)strlen(name);
  ASSERT_GT(size, 0);
  std::vector<char> exact(size + 1);
  EXPECT_EQ(gethostname(exact.data(), size + 1), 0);
  EXPECT_STREQ(exact.data(), name);
  EXPECT_EQ(gethostname(exact.data(), size), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEFAULT);
}

TEST_F(Names, DottedAddressesAndLocalhostResolveToIPv4Entries) {
  hostent* dotted = gethostbyname("192.0.2.7");
  ASSERT_NE(dotted, nullptr);
  EXPECT_STREQ(dotted->h_name, "192.0.2.7");
  EXPECT_EQ(dotted->h_addrtype, AF_INET);
  EXPECT_EQ(dotted->h_length, 4);
  ASSERT_NE(dotted->h_addr_list[0], nullptr);
  EXPECT_EQ(*(uint32_t*)dotted->h_addr_list[0], inet_addr("192.0.2.7"));
  EXPECT_EQ(dotted->h_addr_list[1], nullptr);

  hostent* local = gethostbyname("localhost");
  ASSERT_NE(local, nullptr) << WSAGetLastError();
  EXPECT_STREQ(local->h_name, "localhost");
  ASSERT_NE(local->h_addr, nullptr);
  EXPECT_EQ(*(uint32_t*)local->h_addr, htonl(INADDR_LOOPBACK));
}

}  // namespace
