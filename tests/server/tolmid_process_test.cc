// The real tolmid program in a private network namespace: clients that nobody here
// wrote find its services, a failed start says why and ends non-zero, a second
// one says so, a termination signal takes the normal way out, the console
// program ending its conversation ends the server, and no other process on the
// desktop can keep the server from answering.
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>

#include <gtest/gtest.h>

#include "support/call_builder.h"
#include "support/server_fixture.h"
#include "tests/support/udp_client.h"

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
  // -p asks over TCP, after learning over UDP where the port mapper listens for it.
  int status = -1;
  std::string dump = Shell("rpcinfo -p 127.0.0.1", &status);
  EXPECT_EQ(status, 0) << dump;
  for (const char* row : {"100003    2   udp   2049", "100005    1   udp   1058",
                          "150001    1   udp   1525", "150001    2   udp   1525"})
    EXPECT_NE(dump.find(row), std::string::npos) << row << " in\n" << dump;
}

// Everything a child said on standard output and error, to its end.
std::vector<std::string> AllLines(testsupport::ChildProgram& child) {
  std::vector<std::string> lines;
  for (std::string line = child.Line(); line != "<eof>" && line != "<timeout>"; line = child.Line())
    lines.push_back(line);
  return lines;
}

TEST_F(Tolmid, AStartThatFailsOnABusyPortEndsNonZeroAndSaysWhyOnStandardError) {
  setenv("PLATFORM_DISPLAY", "headless", 1);
  WriteSettings("portmapenabled=ON\r\nenabled=ON");
  testsupport::UdpClient holder(111);
  const std::string kBox = "Brevant NFS Server: Cannot start Brevant NFS Server";
  const std::string kWhy =
      "Port 111 is in use: another program (perhaps another port mapper) holds it.";
  struct Case {
    const char* how;
    const char* arguments;
    const char* quietVariable;  // TOLMID_QUIET's value, or unset
    bool echoed;
  } cases[] = {
      {"headless", "", nullptr, true},
      {"with --quiet", "--quiet", nullptr, false},
      {"with TOLMID_QUIET=1", "", "1", false},
      {"with TOLMID_QUIET=0", "", "0", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    WriteHost("tolmid.log", "");
    if (c.quietVariable)
      setenv("TOLMID_QUIET", c.quietVariable, 1);
    else
      unsetenv("TOLMID_QUIET");
    testsupport::ChildProgram tolmid(TOLMID, c.arguments, true);
    std::vector<std::string> said = AllLines(tolmid);
    EXPECT_EQ(tolmid.Wait(), 1);
    // The message box is the display's; the rest is the log, line for line.
    std::vector<std::string> echoed;
    for (const std::string& line : said)
      if (line != kBox) echoed.push_back(line);
    EXPECT_LT(echoed.size(), said.size()) << "the message box";
    if (!c.echoed) {
      EXPECT_EQ(echoed, std::vector<std::string>{});
      continue;
    }
    std::vector<std::string> file;
    std::string bytes = LogBytes();
    for (size_t start = 0, end; start < bytes.size(); start = end + 1) {
      end = bytes.find('\n', start);
      if (end == std::string::npos) end = bytes.size();
      std::string line = bytes.substr(start, end - start);
      while (!line.empty() && line.back() == '\r')
        line.pop_back();
      file.push_back(line);
    }
    EXPECT_EQ(echoed, file);
    EXPECT_NE(std::find_if(echoed.begin(), echoed.end(),
                           [&](const std::string& line) {
                             return line.size() > 26 && line.compare(24, 2, ": ") == 0 &&
                                    line.substr(26) == kWhy;
                           }),
              echoed.end());
  }
  unsetenv("TOLMID_QUIET");
}

TEST_F(Tolmid, ASecondServerSaysSoInOneLineAndEndsWithZero) {
  Launch("portmapenabled=ON");
  std::string settings = ReadHost("TOLMID.INI");
  std::string log = LogBytes();
  for (const char* arguments : {"", "--quiet"}) {
    SCOPED_TRACE(arguments);
    testsupport::ChildProgram second(TOLMID, arguments, true);
    EXPECT_EQ(AllLines(second),
              std::vector<std::string>{
                  "tolmid: a server is already running; its window was brought to the front"});
    EXPECT_EQ(second.Wait(), 0);
  }
  EXPECT_EQ(ReadHost("TOLMID.INI"), settings);
  EXPECT_EQ(LogBytes(), log);
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

// Pings the port mapper's NULL procedure for a while, with datagrams too short to
// be calls in between (each makes the server log a line, and so talk to the
// console); counts the pings answered within 100 ms.
struct PingCount {
  int sent = 0;
  int answered = 0;
};

PingCount PingNullFor(DWORD milliseconds, uint32_t* xid) {
  testsupport::UdpClient client;
  PingCount count;
  DWORD start = GetTickCount();
  while (GetTickCount() - start < milliseconds) {
    client.Send(111, {1, 2, 3});
    client.Send(2049, {1, 2, 3});
    uint32_t asked = (*xid)++;
    client.Send(111, CallBuilder::Call(asked, 100000, 2, 0).Null().bytes());
    count.sent++;
    DWORD sentAt = GetTickCount();
    std::vector<uint8_t> reply;
    for (DWORD waited = 0; waited < 100; waited = GetTickCount() - sentAt) {
      if (!client.ReceiveFromAnotherProcess(&reply, (int)(100 - waited))) break;
      uint32_t xidBack = reply.size() >= 4
                             ? (uint32_t)reply[0] << 24 | reply[1] << 16 | reply[2] << 8 | reply[3]
                             : 0;
      if (xidBack == asked) {
        count.answered++;
        break;
      }
    }
    Sleep(10);
  }
  return count;
}

TEST_F(Tolmid, NoPeerOnTheDesktopKeepsThePortMapperFromAnsweringNull) {
  Launch("consolelog=ON\r\nportmapenabled=ON\r\nenabled=ON");
  // A console that reads every record and answers none: the server's next line
  // asks it, and goes on asking with every line.
  testsupport::ChildProgram silent(HOSTILE_PEER, "silent zVkClassconsole");
  ASSERT_EQ(silent.Line(), "ready");
  uint32_t xid = 1;
  PingCount unanswered = PingNullFor(1000, &xid);
  EXPECT_EQ(unanswered.answered, unanswered.sent) << "while its queries go unanswered";

  testsupport::ChildProgram flood(HOSTILE_PEER, "flood zVkClasstolmid 300 61440");
  PingCount flooded = PingNullFor(1500, &xid);
  EXPECT_EQ(flooded.answered, flooded.sent) << "under a flood of 60 KB pokes";
  EXPECT_EQ(flood.Line(30000), "flooded");

  // A console that answers, then stops reading: the server's lines pile up at it.
  kill(silent.pid(), SIGKILL);
  testsupport::ChildProgram deaf(HOSTILE_PEER, "console-then-deaf zVkClassconsole");
  ASSERT_EQ(deaf.Line(), "ready");
  PingCount stuck = PingNullFor(2000, &xid);
  EXPECT_EQ(stuck.answered, stuck.sent) << "while its console reads nothing";
  EXPECT_EQ(deaf.Line(), "answered");

  kill(program_->pid(), SIGTERM);
  EXPECT_EQ(program_->Wait(), 0);
  EXPECT_NE(LogBytes().find("Port Mapper stopped."), std::string::npos);
}

}  // namespace
