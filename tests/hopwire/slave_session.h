// The fixture of the slave's FTP tests: the real hopwire driven by the test as its
// controller, in host-name and mount namespaces of the test's own (the network one
// comes from the test runner), so the slave's own name, the names it looks up and
// its resolver are the test's.
#pragma once

#include <sched.h>
#include <stdlib.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/hopwire/ftp_servers.h"
#include "tests/hopwire/slave_controller.h"
#include "tests/platform/net_private_files.h"

namespace hopwiretest {

class SlaveSession : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(controller_.joined());
    ASSERT_EQ(unshare(CLONE_NEWUTS), 0);
    ASSERT_EQ(sethostname("slavehost", 9), 0);
    // Names the hosts file lacks find no name server: nothing listens on port 53.
    ASSERT_TRUE(nettest::OverrideSystemFile("/etc/resolv.conf", "nameserver 127.0.0.1\n"));
    ASSERT_TRUE(nettest::OverrideSystemFile("/etc/nsswitch.conf", "hosts: files dns\n"));
    // twohost: the first address refuses (nothing listens on 127.0.0.1 at the
    // test's port), the second has the server.
    ASSERT_TRUE(nettest::OverrideSystemFile(
        "/etc/hosts", "127.0.0.1 localhost slavehost\n127.0.0.1 twohost\n127.0.0.2 twohost\n"));
  }

  // The slave with networking started.
  void StartSlave() {
    ASSERT_TRUE(controller_.Start(HOPWIRE));
    ASSERT_EQ(Count(controller_.Run(500), "200 Initialization of Winsock succeeded\n"), 1u);
  }

  // Every report of the command lines, in order, without the start and end notices.
  Events Commands(const std::vector<std::string>& lines, int timeoutMs = 10000) {
    Events all;
    for (const std::string& line : lines) {
      for (const std::string& event : controller_.Command(line, timeoutMs)) {
        if (event != "547" && event != "548") all.push_back(event);
      }
    }
    return all;
  }

  // A scratch directory as drive c: until the test ends.
  void MapDriveC() {
    drive_ = ScratchDirectory("drive-c");
    ASSERT_FALSE(drive_.empty());
    setenv("PLATFORM_DRIVES", ("c=" + drive_).c_str(), 1);
  }
  void TearDown() override { unsetenv("PLATFORM_DRIVES"); }

  SlaveController controller_;
  std::string drive_;
};

}  // namespace hopwiretest
