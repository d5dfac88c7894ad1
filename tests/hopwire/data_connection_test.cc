// Data connections against the scripted fake server, for what real servers rarely
// do on demand: line ends split between reads, listings of every server kind, a
// connection reset, a server that goes silent, a 552 before the answer to ABOR, a
// stranger at the data port, a refusal after the preliminary reply. The silence
// a listing tolerates is shortened to half a second for these tests.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/hopwire/slave_session.h"

namespace {

using hopwiretest::Count;
using hopwiretest::Events;
using hopwiretest::FakeFtpServer;
using hopwiretest::SlaveSession;

constexpr char kAnswers[] =
    "on USER 331 Password\\r\\n\n"
    "on PASS 230 In\\r\\n\n"
    "on PORT 200 PORT ok\\r\\n\n"
    "on TYPE 200 Type set\\r\\n\n"
    "on PWD 257 \"/\"\\r\\n\n"
    "on CWD 250 Moved\\r\\n\n"
    "on STOR 150 Ok to send\\r\\n\n";
// Servers answer in turn, so what a case may answer otherwise is not here.
const std::string kList = "on LIST 150 Here comes the listing\\r\\n\n";
const std::string kListed = kList + "after LIST 226 Done\\r\\n\n";
const std::string kRetr = "on RETR 150 Opening\\r\\n\n";
const std::string kSent = kRetr + "after RETR 226 Sent\\r\\n\n";

constexpr char kAbortLine[] = "\\xff\\xf4\\xf2ABOR\\x0d\\x0a";  // the last IAC went as urgent data

class DataConnection : public SlaveSession {
 protected:
  void SetUp() override {
    SlaveSession::SetUp();
    MapDriveC();
    setenv("HOPWIRE_DATA_WAIT_MS", "500", 1);
  }
  void TearDown() override {
    SlaveSession::TearDown();
    unsetenv("HOPWIRE_DATA_WAIT_MS");
  }

  // A fresh server with this greeting and script, and a slave logged in to it.
  void Serve(const std::string& greeting, const std::string& script) {
    server_ = std::make_unique<FakeFtpServer>();
    ASSERT_TRUE(server_->Start("greet " + greeting + "\\r\\n\n" + kAnswers + script));
    StartSlave();
    Commands({"open 127.0.0.1 " + std::to_string(server_->port()), "user a b"});
  }

  // The text reports of the command lines; the progress numbers and the time in
  // the rate lines vary from run to run.
  Events Lines(const std::vector<std::string>& commands, int timeoutMs = 10000) {
    static const std::regex rate("in \\d+ seconds\\. Transfer rate \\d+ Kb/s");
    Events lines;
    for (const std::string& event : Commands(commands, timeoutMs)) {
      if (std::regex_match(event, std::regex("\\d{3}=-?\\d+"))) continue;
      lines.push_back(std::regex_replace(event, rate, "in S seconds. Transfer rate R Kb/s"));
    }
    return lines;
  }

  std::string Local(const std::string& name) {
    std::ifstream in(drive_ + "/" + name, std::ios::binary);
    std::ostringstream contents;
    contents << in.rdbuf();
    return in ? contents.str() : "<missing>";
  }

  std::unique_ptr<FakeFtpServer> server_;
};

const std::string kLong(130, 'x');
const std::string kCut(125, 'x');
// Every kind of line end, some split between two reads of the data connection
// (the pauses), a line too long for the controller, a last line without an end.
const std::string kLineEnds = "a\\r@pause100@\\nb\\n@pause100@\\rc\\r\\nd\\n\\re\\rf\\n\\n" +
                              kLong + "\\r\\n@pause100@\\r\\nlast";

TEST_F(DataConnection, ListingLinesReachTheControllerThroughTheFilterOfTheServersKind) {
  struct Case {
    const char* name;
    std::string greeting;
    std::string listing;
    std::string done;  // the reply after the listing
    std::string command;
    Events lines;  // reported between the preliminary and the final reply
  } cases[] = {
      {"line ends of every kind, split or not, one line each",
       "220 UNIX fake",
       kLineEnds,
       "226 Done",
       "dir",
       {"a\r\n", "b\r\n", "c\r\n", "d\r\n", "e\r\n", "f\r\n", "\r\n", kCut + "\r\n", "\r\n",
        "last\r\n"}},
      {"list mode reports with 511",
       "220 UNIX fake",
       "one\\r\\ntwo\\r\\n",
       "226 Done",
       "dirx",
       {"one\r\n", "two\r\n"}},
      {"VMS",
       "220 VMS fake",
       "Directory DISK$FTP:[ANONYMOUS]\\r\\n\\r\\nNOTIME.DAT;2  3  1-JUN-1997  (RE,RE,RE,RE)\\r\\n",
       "226 Done",
       "dir",
       {"Directory DISK$FTP:[ANONYMOUS]\r\n", "\r\n",
        "-r-xr-xr-x   1 owner group        1536 Jun  1  1997 NOTIME.DAT;2\r\n"}},
      {"MacOS",
       "220 MACOS fake",
       "-------r--         326  1391972  1392298 Nov 22  1995 MegaPhone.sit\\r\\n",
       "226 Done",
       "ls",
       {"-------r--   1 owner  group     1392298 Nov 22 1995 MegaPhone.sit"}},
      // Seven words, as a Chameleon listing line has: only data lines are filtered.
      {"Chameleon",
       "220 Chameleon fake",
       "AUTOEXEC.BAT     1003   Mar  5 1995 10:13  -rw-\\r\\n",
       "226 Listing sent in 1 piece ok",
       "dir",
       {"-rw-------   1 owner group        1003 Mar  5 10:13 AUTOEXEC.BAT\r\n"}},
      {"NetWare",
       "220 NetWare fake",
       "d [RWCEAFMS] supervisor            512 Jan 16 1998  6:53 pm login\\r\\n",
       "226 Done",
       "dir",
       {"drw-------   1 owner group         512 Jan 16 18:53 login\r\n"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Serve(c.greeting,
          kList + "data LIST send " + c.listing + "\nafter LIST " + c.done + "\\r\\n\n");
    std::string prefix = c.command == "dirx" ? "511:" : "";
    Events expected = {"ftp> " + c.command + "\n", prefix + "200 PORT ok\n",
                       prefix + "150 Here comes the listing\n"};
    for (const std::string& line : c.lines)
      expected.push_back(prefix + line);
    expected.push_back(prefix + c.done + "\n");
    EXPECT_EQ(Lines({c.command}), expected);
  }
}

TEST_F(DataConnection, RetrievalsConvertLineEndsInAsciiAndKeepTheBytesInBinary) {
  std::string sent = "a\r\nb\n\rc\r\nd\n\re\rf\n\n" + kLong + "\r\n\r\nlast";
  Serve("220 UNIX fake", kSent + "data RETR send " + kLineEnds + "\ndata RETR send " + kLineEnds +
                             "\ndata RETR send " + kLineEnds + "\ndata RETR send \n");
  size_t size = sent.size();
  std::string received =
      "Received " + std::to_string(size) + " bytes in S seconds. Transfer rate R Kb/s\r\n";
  EXPECT_EQ(Lines({"get f", "binary", "get f f.bin", "get f -", "get empty"}),
            (Events{"ftp> get f\n", "local: f 1", "remote: f\n", "200 PORT ok\n", "150 Opening\n",
                    "226 Sent\n", received, "ftp> binary\n", "200 Type set\n", "ftp> get f f.bin\n",
                    "200 PORT ok\n", "150 Opening\n", "226 Sent\n", received,
                    // No file to write binary data into: the controller gets lines.
                    "ftp> get f -\n", "200 PORT ok\n", "150 Opening\n", "a\r\n", "b\r\n", "c\r\n",
                    "d\r\n", "e\r\n", "f\r\n", "\r\n", kCut + "\r\n", "\r\n", "last\r\n",
                    "226 Sent\n", received, "ftp> get empty\n", "local: empty 1", "remote: empty\n",
                    "200 PORT ok\n", "150 Opening\n", "226 Sent\n"}));
  EXPECT_EQ(Local("f"), "a\r\nb\r\nc\r\nd\r\ne\r\nf\r\n\r\n" + kLong + "\r\n\r\nlast");
  EXPECT_EQ(Local("f.bin"), sent);
  EXPECT_EQ(Local("empty"), "");
}

// A local file that appears while the server takes its time to start the
// retrieval is someone else's: it is never overwritten.
TEST_F(DataConnection, AFileThatAppearsBeforeTheRetrievalStartsIsLeftAlone) {
  Serve("220 UNIX fake",
        "on RETR @wait1000@150 Opening\\r\\n\ndata RETR send remote\n"
        "after RETR 226 Sent\\r\\n\non ABOR 226 Abort done\\r\\n\n");
  std::thread squatter([this] {
    usleep(300000);
    std::ofstream(drive_ + "/late") << "precious";
  });
  Events lines = Lines({"get late"});
  squatter.join();
  EXPECT_EQ(Local("late"), "precious");
  EXPECT_EQ(Count(lines, "local: late: File exists 5\n"), 1u);
}

TEST_F(DataConnection, AnEndedTransferTellsTheServerAndLeavesTheSessionInStep) {
  struct Case {
    const char* name;
    std::string script;
    std::string command;
    Events lines;  // after the command's echo, then "pwd" answers
    bool aborts;   // the server saw ABOR
  } cases[] = {
      {"a reset in ASCII",
       kRetr + "data RETR reset abc\\r\\n@pause300@\nafter RETR 426 Connection reset\\r\\n\n"
               "on ABOR 226 Abort done\\r\\n\n",
       "get f",
       {"local: f 1", "remote: f\n", "200 PORT ok\n", "150 Opening\n",
        "800 WARNING: data connection reset by peer.",
        "800 ERROR: peer not responding. Aborting receive request.\r\n", "426 Connection reset\n",
        "226 Abort done\n", "Received 5 bytes in S seconds. Transfer rate R Kb/s\r\n"},
       true},
      {"a reset in binary marks the count as failed",
       kRetr + "data RETR reset abc\\r\\n@pause300@\nafter RETR 426 Connection reset\\r\\n\n"
               "on ABOR 226 Abort done\\r\\n\n",
       "binary; get f",
       {"200 Type set\n", "ftp> get f\n", "local: f 1", "remote: f\n", "200 PORT ok\n",
        "150 Opening\n", "800 ERROR: error on data connection: Connection reset by peer",
        "426 Connection reset\n", "226 Abort done\n"},
       true},
      // A listing gives up on a silent server; the 552 before the answer to ABOR
      // is read with one reply more.
      {"a silent listing and a 552",
       kList + "data LIST stall x\\r\\n\n"
               "on ABOR 552 Exceeded\\r\\n426 Closed\\r\\n226 Abort done\\r\\n\n",
       "dir",
       {"200 PORT ok\n", "150 Here comes the listing\n", "x\r\n",
        "800 ERROR: peer not responding. Aborting receive request.\r\n", "552 Exceeded\n",
        "426 Closed\n", "226 Abort done\n",
        "Received 3 bytes in S seconds. Transfer rate R Kb/s\r\n"},
       true},
      // A transfer command waits as long as the server takes.
      {"a silent download goes on",
       kSent + "data RETR send part1@pause1500@part2\n",
       "get f",
       {"local: f 1", "remote: f\n", "200 PORT ok\n", "150 Opening\n", "226 Sent\n",
        "Received 10 bytes in S seconds. Transfer rate R Kb/s\r\n"},
       false},
      {"a refusal after the preliminary reply ends the wait for the connection",
       "on RETR 150 Opening\\r\\n425 No data connection\\r\\n\ndata RETR none\n",
       "gettmp /f 0 c:\\f",
       {"250 Moved\n", "200 PORT ok\n", "150 Opening\n", "425 No data connection\n",
        "700 Retrieve file f failure"},
       false},
      {"a transfer the server reports as failed is one",
       kRetr + "data RETR send partial\nafter RETR 426 Connection closed; transfer aborted\\r\\n\n",
       "gettmp /f 0 c:\\f",
       {"250 Moved\n", "200 PORT ok\n", "150 Opening\n",
        "426 Connection closed; transfer aborted\n",
        "Received 7 bytes in S seconds. Transfer rate R Kb/s\r\n", "700 Retrieve file f failure"},
       false},
      // Only the server's address may connect: a stranger's connection is closed
      // unread and the listing is the server's.
      {"a stranger at the data port",
       kListed + "intruder EVIL\\r\\n\ndata LIST send good\\r\\n\n",
       "ls",
       {"200 PORT ok\n", "150 Here comes the listing\n", "good\r\n", "226 Done\n"},
       false},
      {"the default data port",
       kListed + "data LIST send good\\r\\n\n",
       "sendport; ls",
       {"Use of PORT cmds off.\n", "ftp> ls\n", "150 Here comes the listing\n", "good\r\n",
        "226 Done\n"},
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Serve("220 UNIX fake", c.script);
    std::vector<std::string> commands;
    std::stringstream split(c.command);
    for (std::string command; std::getline(split, command, ';');)
      commands.push_back(command.substr(command.find_first_not_of(' ')));
    commands.push_back("pwd");
    Events expected = c.lines;
    expected.insert(expected.begin(), "ftp> " + commands[0] + "\n");
    expected.push_back("ftp> pwd\n");
    expected.push_back("257 \"/\"\n");
    EXPECT_EQ(Lines(commands), expected);
    std::vector<std::string> received = server_->Received();
    EXPECT_EQ(Count(received, kAbortLine), c.aborts ? 1u : 0u);
    if (c.command == "ls" && c.script.find("intruder") != std::string::npos)
      EXPECT_EQ(Count(received, "intruder closed"), 1u);
    if (c.command.find("sendport") != std::string::npos) {
      for (const std::string& line : received)
        EXPECT_NE(line.rfind("PORT", 0), 0u) << line;
    }
  }
}

TEST_F(DataConnection, StoresSendTheFileUnchangedAndTellWhatWentBeforeAnEnd) {
  std::string contents = "one\r\ntwo\nthree\r";
  std::ofstream(drive_ + "/up.txt", std::ios::binary) << contents;
  std::ofstream(drive_ + "/big.bin", std::ios::binary) << std::string(4 << 20, 'b');
  ASSERT_EQ(mkdir((drive_ + "/dir").c_str(), 0755), 0);
  Serve("220 UNIX fake",
        "data STOR receive\ndata STOR reset\nafter STOR 226 Stored\\r\\n\n"
        "after STOR 426 Connection closed\\r\\n\n");
  std::string sent =
      "1 Sent " + std::to_string(contents.size()) + " bytes in S seconds. Transfer rate R Kb/s\r\n";
  Events lines = Lines({"put up.txt", "put big.bin", "put nothere", "put dir"});
  ASSERT_GE(lines.size(), 15u);
  EXPECT_EQ(Events(lines.begin(), lines.begin() + 14),
            (Events{"ftp> put up.txt\n", "local: up.txt ", "remote: up.txt\n", "200 PORT ok\n",
                    "150 Ok to send\n", "226 Stored\n", sent, "ftp> put big.bin\n",
                    "local: big.bin ", "remote: big.bin\n", "200 PORT ok\n", "150 Ok to send\n",
                    "500 Data connection reset by peer.\r\n", "426 Connection closed\n"}));
  EXPECT_EQ(Events(lines.begin() + 15, lines.end()),
            (Events{"ftp> put nothere\n", "local: nothere ", "remote: nothere\n",
                    "local: nothere: No such file or directory \n", "ftp> put dir\n", "local: dir ",
                    "remote: dir\n", "local: dir: Permission denied \n"}));
  EXPECT_TRUE(std::regex_match(lines[14], std::regex("2 Sent \\d+ bytes in S seconds. "
                                                     "Transfer rate R Kb/s\r\n")))
      << lines[14];
  EXPECT_EQ(server_->Stored(), contents);
}

}  // namespace
