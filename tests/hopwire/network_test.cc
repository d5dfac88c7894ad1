// Starting networking, the self-test and the cancel of a connect, each in a network,
// mount and host-name namespace of the test's own: the host name and the hosts file
// the slave sees are the test's to choose.
#include <sched.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/hopwire/slave_controller.h"
#include "tests/platform/net_private_files.h"

namespace {

using hopwiretest::Count;
using hopwiretest::Events;
using hopwiretest::SlaveController;

constexpr char kHostName[] = "slavehost";

class Network : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(controller_.joined());
    ASSERT_EQ(unshare(CLONE_NEWUTS), 0);
    ASSERT_EQ(sethostname(kHostName, sizeof kHostName - 1), 0);
    // Names the hosts file lacks find no name server: nothing listens on loopback.
    ASSERT_TRUE(nettest::OverrideSystemFile("/etc/resolv.conf", "nameserver 127.0.0.1\n"));
    ASSERT_TRUE(nettest::OverrideSystemFile("/etc/nsswitch.conf", "hosts: files dns\n"));
  }

  // The first call gives the test its own copy; later ones rewrite that copy.
  void Hosts(const std::string& slaveHostLine) {
    std::string contents = "127.0.0.1 localhost\n" + slaveHostLine;
    if (!hostsPrivate_) {
      ASSERT_TRUE(hostsPrivate_ = nettest::OverrideSystemFile("/etc/hosts", contents));
      return;
    }
    FILE* f = fopen("/etc/hosts", "w");
    ASSERT_TRUE(f);
    fputs(contents.c_str(), f);
    fclose(f);
  }

  std::string LocalAddress() {
    Events state = controller_.Command("probe state");
    size_t at = state.size() == 4 ? state[2].find("local=") : std::string::npos;
    return at == std::string::npos ? "?" : state[2].substr(at + 6, state[2].size() - at - 7);
  }

  SlaveController controller_;
  bool hostsPrivate_ = false;
};

TEST_F(Network, StartingReportsTheOutcomeAndTheLocalAddress) {
  std::string noFtp = testing::TempDir() + "/services-without-ftp";
  FILE* f = fopen(noFtp.c_str(), "w");
  ASSERT_TRUE(f);
  fputs("ssh 22/tcp\n", f);
  fclose(f);
  const char* winsockInit = "200 Initialization of Winsock succeeded\n";
  const char* winsockFailed = "500 Initialization of Winsock failed\n";
  const char* noService = "200-getservbyname(ftp/tcp) lookup error\n";
  const char* port21 = "200 assuming default port 21 for FTP\n";
  struct Case {
    const char* name;
    std::string hostsLine;
    const char* winsock;   // PLATFORM_WINSOCK
    const char* services;  // PLATFORM_SERVICES
    Events reports;
    const char* local;
  } cases[] = {
      {"named host", "10.1.2.3 slavehost\n", "", "", {winsockInit}, "10.1.2.3"},
      {"host named 0.0.0.0",
       "0.0.0.0 slavehost\n",
       "",
       "",
       {"500 IP address for local node is invalid (0.0.0.0).\n", winsockFailed},
       "0.0.0.0"},
      // The socket bound to the wildcard address tells no more than 0.0.0.0.
      {"unknown host", "", "", "", {winsockInit}, "0.0.0.0"},
      {"no sockets",
       "10.1.2.3 slavehost\n",
       "refuse",
       "",
       {winsockFailed, noService, port21},
       "0.0.0.0"},
      {"no ftp service",
       "10.1.2.3 slavehost\n",
       "",
       noFtp.c_str(),
       {winsockInit, noService, port21},
       "10.1.2.3"},
  };
  for (const Case& c : cases) {
    Hosts(c.hostsLine);
    setenv("PLATFORM_WINSOCK", c.winsock, 1);
    setenv("PLATFORM_SERVICES", c.services, 1);
    ASSERT_TRUE(controller_.Start(PROBE)) << c.name;
    Events expected = {"547"};
    expected.insert(expected.end(), c.reports.begin(), c.reports.end());
    expected.push_back("548");
    EXPECT_EQ(controller_.Run(500), expected) << c.name;
    EXPECT_EQ(LocalAddress(), c.local) << c.name;
    // A second start stops the first; the outcome is the same.
    EXPECT_EQ(controller_.Run(500), expected) << c.name;
  }
}

TEST_F(Network, TheSelfTestStartsAndStopsAHundredTimesAndStopsAtAFailure) {
  Hosts("10.1.2.3 slavehost\n");
  ASSERT_TRUE(controller_.Start(HOPWIRE));
  Events events = controller_.Run(510, "", 60000);
  ASSERT_EQ(events.size(), 103u);
  for (int i = 0; i < 100; ++i)
    EXPECT_EQ(events[1 + i], "Network loop #" + std::to_string(i) + "\n");
  EXPECT_EQ(events[101], "Done with network test.\n");

  setenv("PLATFORM_WINSOCK", "refuse", 1);
  ASSERT_TRUE(controller_.Start(HOPWIRE));
  events = controller_.Run(510);
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events[1], "Network loop #0\n");
  EXPECT_EQ(events[2].rfind("Error ", 0), 0u) << events[2];
  unsetenv("PLATFORM_WINSOCK");
}

TEST_F(Network, ACancelInterruptsAConnectToASilentAddressAtOnce) {
  // A tunnel nobody reads swallows what is routed to it: nothing ever answers.
  int status = 0;
  testsupport::Shell(
      "ip tuntap add mode tun dev silent0 && ip addr add 10.9.9.1/24 dev silent0 && "
      "ip link set silent0 up",
      &status);
  ASSERT_EQ(status, 0);
  Hosts("10.9.9.1 slavehost\n");
  ASSERT_TRUE(controller_.Start(PROBE));
  size_t mark = controller_.Mark();
  controller_.Send(503, "probe connect 10.9.9.2 21");
  ASSERT_TRUE(
      controller_.ServeUntil(mark, [](const Events& e) { return Count(e, "connecting\n"); }));
  Sleep(300);  // well inside the connect's wait: the address stays silent for minutes
  controller_.Send(512);
  ASSERT_TRUE(controller_.ServeUntil(
      mark, [](const Events& e) { return Count(e, "548"); }, 3000));
  EXPECT_EQ(controller_.Since(mark), (Events{"547", "ftp> probe connect 10.9.9.2 21\n",
                                             "connecting\n", "connect -1 10004\n", "548"}));
}

}  // namespace
