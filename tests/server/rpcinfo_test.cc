// Debian's rpcinfo, a client nobody here wrote, against the engine running in the
// test host, inside a private network namespace.
#include <stdio.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/desktop_peers.h"

namespace {

using testsupport::Shell;

class Rpcinfo : public ::testing::Test {
 protected:
  void SetUp() override {
    if (Shell("command -v rpcinfo").empty()) GTEST_SKIP() << "rpcinfo is not installed";
    ASSERT_EQ(host_.Line(),
              "PCNFS Daemon: pcnfsd getservbyname error (11004) - will use default port 1525.");
    ASSERT_EQ(host_.Line(), "ready");
  }

  testsupport::PrivateDesktop desktop_;
  testsupport::ChildProgram host_{RPC_HOST, "portmap nfs mount pcnfsd"};
};

TEST_F(Rpcinfo, ReachesEveryRegisteredProgramOverUdp) {
  EXPECT_EQ(Shell("rpcinfo -u 127.0.0.1 100003 2"), "program 100003 version 2 ready and waiting\n");
  EXPECT_EQ(Shell("rpcinfo -u 127.0.0.1 100005 1"), "program 100005 version 1 ready and waiting\n");
  EXPECT_EQ(Shell("rpcinfo -u 127.0.0.1 150001 1"), "program 150001 version 1 ready and waiting\n");
  EXPECT_EQ(Shell("rpcinfo -u 127.0.0.1 150001 2"), "program 150001 version 2 ready and waiting\n");
  // The port mapper keeps no entry for itself.
  EXPECT_EQ(Shell("rpcinfo -u 127.0.0.1 100000 2"), "127.0.0.1: RPC: Program not registered\n");
}

TEST_F(Rpcinfo, StepsDownFromRpcbindVersionsThroughProgramMismatch) {
  // -T asks rpcbind versions 4 and 3 first, then the port mapper's GETPORT.
  EXPECT_EQ(Shell("rpcinfo -T udp 127.0.0.1 100005 1"),
            "program 100005 version 1 ready and waiting\n");
  EXPECT_EQ(Shell("rpcinfo -T udp 127.0.0.1 100003 2"),
            "program 100003 version 2 ready and waiting\n");
}

TEST_F(Rpcinfo, ReportsAVersionMismatchWithTheServicesRange) {
  int status = 0;
  std::string out = Shell("rpcinfo -u 127.0.0.1 100003 3", &status);
  EXPECT_NE(status, 0);
  EXPECT_NE(out.find("low version = 2, high version = 2"), std::string::npos) << out;
}

TEST_F(Rpcinfo, ListsEveryRegistrationFromTheDump) {
  std::string out = Shell("rpcinfo -s 127.0.0.1");
  EXPECT_NE(out.find("100003  2         udp"), std::string::npos) << out;
  EXPECT_NE(out.find("100005  1         udp"), std::string::npos) << out;
  EXPECT_NE(out.find("150001  2,1       udp"), std::string::npos) << out;
}

}  // namespace
