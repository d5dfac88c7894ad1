// The real tolmid program in a private network namespace: clients that nobody here
// wrote find its services, a termination signal takes the normal way out, and the
// console program ending its conversation ends the server.
#include <signal.h>
#include <stdio.h>

#include <gtest/gtest.h>

#include "support/server_fixture.h"

namespace {

using testsupport::Shell;

class Tolmid : public ServerTest {
 protected:
  // Starts the program and waits until its services answer.
  void Launch(const std::string& keys) {
    WriteSettings(keys);
    program_ = std::make_unique<testsupport::ChildProgram>(TOLMID, "");
    for (int i = 0; i < 100; ++i) {
      if (LogBytes().find("started.") != std::string::npos) break;
      Sleep(20);
    }
    Sleep(100);
  }
  std::unique_ptr<testsupport::ChildProgram> program_;
};

TEST_F(Tolmid, RpcinfoFindsEveryProgramTheServerRegistered) {
  if (Shell("command -v rpcinfo").empty()) GTEST_SKIP() << "rpcinfo is not installed";
  Launch("portmapenabled=ON\r\nenabled=ON\r\npcnfsenabled=ON");
  EXPECT_EQ(Shell("rpcinfo -T udp 127.0.0.1 100003 2"),
            "program 100003 version 2 ready and waiting\n");
  EXPECT_EQ(Shell("rpcinfo -T udp 127.0.0.1 100005 1"),
            "program 100005 version 1 ready and waiting\n");
  EXPECT_EQ(Shell("rpcinfo -u 127.0.0.1 150001 1"), "program 150001 version 1 ready and waiting\n");
  EXPECT_EQ(Shell("rpcinfo -u 127.0.0.1 150001 2"), "program 150001 version 2 ready and waiting\n");
  std::string table = Shell("rpcinfo -s 127.0.0.1");
  EXPECT_NE(table.find("100003  2         udp"), std::string::npos) << table;
  EXPECT_NE(table.find("100005  1         udp"), std::string::npos) << table;
  EXPECT_NE(table.find("150001  2,1       udp"), std::string::npos) << table;
}

TEST_F(Tolmid, ATerminationSignalTakesTheNormalWayOut) {
  Launch("portmapenabled=ON\r\nenabled=ON\r\nwinpos=3,4,503,404");
  kill(program_->pid(), SIGTERM);
  EXPECT_EQ(program_->Wait(), 0);
  std::vector<std::string> lines = LogLines();
  ASSERT_GE(lines.size(), 5u);
  std::vector<std::string> last(lines.end() - 5, lines.end());
  EXPECT_EQ(last, (std::vector<std::string>{"Mount Daemon stopped.", "PCNFS Daemon stopped.",
                                            "NFS Service stopped.", "Port Mapper stopped.",
                                            "Log file d:\\tolmid.log closed\r"}));
  std::string ini = ReadHost("TOLMID.INI");
  EXPECT_NE(ini.find("version=2.1"), std::string::npos);
  EXPECT_NE(ini.find("winpos=3,4,503,404"), std::string::npos);
  EXPECT_EQ(ReadHost("nfsfile.hsh").substr(0, 6), "*HASH*");
}

TEST_F(Tolmid, TheConsoleEndingTheConversationEndsTheServer) {
  testsupport::ChildProgram console(WEXORACONSOLE, "");
  ASSERT_EQ(console.Line(), "wexoraconsole ready");
  Launch("consolelog=ON\r\nportmapenabled=ON");
  EXPECT_NE(console.Line().find("[tolmid] Brevant NFS Server 2.1"), std::string::npos);
  PostMessage(FindWindow("zVkClassconsole", nullptr), WM_COMMAND, 102, 0);
  EXPECT_EQ(program_->Wait(), 0);
  EXPECT_NE(LogBytes().find("Port Mapper stopped."), std::string::npos);
}

}  // namespace
