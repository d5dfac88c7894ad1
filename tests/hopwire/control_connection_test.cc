// The control connection and the commands that use it, against the scripted fake
// server: what real servers rarely do on demand (odd greetings, multi-line replies
// of every shape, Telnet negotiation, long lines, closing at the wrong moment,
// silence), with the lines the controller sees and the lines the server received.
#include <stdlib.h>

#include <fstream>
#include <string>
#include <vector>

#include "tests/hopwire/slave_session.h"

namespace {

using hopwiretest::Count;
using hopwiretest::Events;
using hopwiretest::FakeFtpServer;
using hopwiretest::SlaveSession;
using Lines = std::vector<std::string>;

constexpr char kLoggedIn[] =
    "greet 220 Fake server\\r\\n\non USER 331 Password\\r\\n\non PASS 230 In\\r\\n\n";

class ControlConnection : public SlaveSession {
 protected:
  // The server with this script, the slave started; "open" with the server's
  // address and port begins the session.
  void Serve(const std::string& script, const std::string& address = "127.0.0.1", int port = 0) {
    ASSERT_TRUE(server_.Start(script, address, port));
    StartSlave();
    open_ = "open 127.0.0.1 " + std::to_string(server_.port());
  }

  FakeFtpServer server_;
  std::string open_;
};

TEST_F(ControlConnection, RepliesReachTheControllerLineByLineAsTheServerSentThem) {
  std::string longLine = "215 " + std::string(296, 'x');
  struct Case {
    const char* name;
    std::string script;
    Lines commands;  // after open
    Events reports;  // after the open's echo
    Lines received;  // by the server
  } cases[] = {
      {"a greeting of class 1 opens the session",
       "greet 120 Ready soon\\r\\n\non NOOP 200 Fine\\r\\n\n",
       {"quote NOOP", "status"},
       {"200 Connected to 127.0.0.1.\n", "120 Ready soon\n", "ftp> quote NOOP\n",
        "300 sending quoted command NOOP (null)\n", "200 Fine\n", "ftp> status\n",
        "200 Connected to 127.0.0.1.\n"},
       {"NOOP\\x0d\\x0a"}},
      {"a greeting of class 4 closes it",
       "greet 421 Too many users\\r\\n\n",
       {"status"},
       {"200 Connected to 127.0.0.1.\n", "421 Too many users\n", "ftp> status\n",
        "530 Not connected.\n"},
       {"closed"}},
      {"a greeting of class 5 closes it",
       "greet 530 Not welcome\\r\\n\n",
       {"pwd"},
       {"200 Connected to 127.0.0.1.\n", "530 Not welcome\n", "ftp> pwd\n", "530 Not connected.\n"},
       {"closed"}},
      // The middle lines with codes and "-", without codes, indented, or with
      // another code and a blank all belong to the reply they are in.
      {"multi-line replies end at their own code and a blank",
       "greet 220-Welcome\\r\\n220-to the\\r\\n220 fake server\\r\\n\n"
       "on USER 230-Hello\\r\\n  indented\\r\\nno code at all\\r\\n230-more\\r\\n230 Done\\r\\n\n"
       "on STAT 211-Status\\r\\n200 not the end\\r\\n 211 nor this\\r\\n211 End\\r\\n\n"
       "on PWD 257 \"/\"\\r\\n\n",
       {"user a b", "quote STAT", "pwd"},
       {"200 Connected to 127.0.0.1.\n", "220-Welcome\n", "220-to the\n", "220 fake server\n",
        "ftp> user a x\n", "230-Hello\n", "  indented\n", "no code at all\n", "230-more\n",
        "230 Done\n", "ftp> quote STAT\n", "300 sending quoted command STAT (null)\n",
        "211-Status\n", "200 not the end\n", " 211 nor this\n", "211 End\n", "ftp> pwd\n",
        "257 \"/\"\n"},
       {"USER a\\x0d\\x0a", "STAT\\x0d\\x0a", "PWD\\x0d\\x0a"}},
      // Every WILL, WONT, DO and DONT is refused and no Telnet byte shows; other
      // Telnet commands (NOP here) are dropped; zero bytes are skipped.
      {"Telnet negotiation and zero bytes never show",
       "greet 2\\x002\\x000 \\xff\\xfd\\x18Hel\\xff\\xfb\\x01lo\\xff\\xf1\\xff\\xfc\\x03\\xff\\xfe"
       "\\x05!\\r\\n\n"
       "on NOOP 200 \\xff\\xfd\\x00ok\\r\\n\n",
       {"quote NOOP"},
       {"200 Connected to 127.0.0.1.\n", "220 Hello!\n", "ftp> quote NOOP\n",
        "300 sending quoted command NOOP (null)\n", "200 ok\n"},
       {"\\xff\\xfc\\x18\\xff\\xfe\\x01\\xff\\xfe\\x03\\xff\\xfc\\x05NOOP\\x0d\\x0a"}},
      {"a line longer than 127 characters is cut",
       "greet 220 Hi\\r\\n\non SYST " + longLine + "\\r\\n\non PWD 257 \"/\"\\r\\n\n",
       {"system", "pwd"},
       {"200 Connected to 127.0.0.1.\n", "220 Hi\n", "ftp> system\n", longLine.substr(0, 127),
        "ftp> pwd\n", "257 \"/\"\n"},
       {"SYST\\x0d\\x0a", "PWD\\x0d\\x0a"}},
      // Without a code a reply is no answer: the greeting's class must not stand
      // for it.
      {"a reply without a code does not log in",
       "greet 220 Hi\\r\\n\non USER Hello there\\r\\n\n",
       {"user a b"},
       {"200 Connected to 127.0.0.1.\n", "220 Hi\n", "ftp> user a x\n", "Hello there\n",
        "500 Login failed.\n"},
       {"USER a\\x0d\\x0a"}},
      {"a server closing instead of answering is no answer either",
       std::string(kLoggedIn) + "on NOOP @close\n",
       {"user a b", "quote NOOP"},
       {"200 Connected to 127.0.0.1.\n", "220 Fake server\n", "ftp> user a x\n", "331 Password\n",
        "230 In\n", "ftp> quote NOOP\n", "300 sending quoted command NOOP (null)\n",
        "421 Service not available, remote server has closed connection\n"},
       {"USER a\\x0d\\x0a", "PASS b\\x0d\\x0a", "NOOP\\x0d\\x0a", "closed"}},
      {"a server closing on QUIT has answered it",
       "greet 220 Hi\\r\\n\non QUIT @close\n",
       {"by", "status"},
       {"200 Connected to 127.0.0.1.\n", "220 Hi\n", "ftp> by\n", "ftp> status\n",
        "530 Not connected.\n"},
       {"QUIT\\x0d\\x0a", "closed"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Serve(c.script);
    Lines commands = {open_};
    commands.insert(commands.end(), c.commands.begin(), c.commands.end());
    Events expected = {"ftp> " + open_ + "\n"};
    expected.insert(expected.end(), c.reports.begin(), c.reports.end());
    EXPECT_EQ(Commands(commands), expected);
    // The server logs what it read on its own time; the last line is awaited.
    testsupport::ServeUntil([&] { return server_.Received().size() >= c.received.size(); });
    EXPECT_EQ(server_.Received(), c.received);
  }
}

TEST_F(ControlConnection, CommandsSendWhatTheTableSaysAndFallBackToXCommands) {
  Serve(std::string(kLoggedIn) +
        "on CWD 500 What?\\r\\n\non XCWD 250 Moved\\r\\n\n"
        "on PWD 500 What?\\r\\n\non XPWD 257 \"/x\"\\r\\n\n"
        "on CDUP 502 No\\r\\n\n"
        "on MKD 500 What?\\r\\n\non XMKD 257 Made\\r\\n\n"
        "on RMD 550 No such directory\\r\\n\n"
        "on RNFR 350 Go on\\r\\n\non RNTO 250 Renamed\\r\\n\n"
        "on DELE 250 Deleted\\r\\n\n"
        "on TYPE 200 Type set\\r\\n\n"
        "on TYPE 200 Type set\\r\\n\n"
        "on TYPE 504 Not that one\\r\\n\n"
        "on TYPE 200 Type set\\r\\n\n"
        "on SYST 215 UNIX Type: L8\\r\\n\n"
        "on ACCT 230 Account in\\r\\n\n");
  EXPECT_EQ(Commands({open_,           "user a b", "cd x",           "pwd",         "cdup",
                      "mkdir \"a b\"", "rmdir y",  "rename from to", "delete gone", "type ebcdic",
                      "type",          "tenex",    "type image",     "ascii",       "type",
                      "type TENEX",    "type a b", "form",           "struct",      "mode",
                      "system",        "system"}),
            (Events{"ftp> " + open_ + "\n",
                    "200 Connected to 127.0.0.1.\n",
                    "220 Fake server\n",
                    "ftp> user a x\n",
                    "331 Password\n",
                    "230 In\n",
                    "ftp> cd x\n",
                    "500 What?\n",
                    "CWD command not recognized, trying XCWD\n",
                    "250 Moved\n",
                    "ftp> pwd\n",
                    "500 What?\n",
                    "PWD command not recognized, trying XPWD\n",
                    "257 \"/x\"\n",
                    "ftp> cdup\n",
                    "502 No\n",
                    "ftp> mkdir \"a b\"\n",
                    "500 What?\n",
                    "MKD command not recognized, trying XMKD\n",
                    "257 Made\n",
                    "ftp> rmdir y\n",
                    "550 No such directory\n",
                    "ftp> rename from to\n",
                    "350 Go on\n",
                    "250 Renamed\n",
                    "ftp> delete gone\n",
                    "250 Deleted\n",
                    "ftp> type ebcdic\n",
                    "200 Type set\n",
                    "ftp> type\n",
                    "Using ebcdic mode to transfer files.\n",
                    "ftp> tenex\n",
                    "200 Type set\n",
                    "ftp> type image\n",
                    "504 Not that one\n",
                    "ftp> ascii\n",
                    "200 Type set\n",
                    "ftp> type\n",
                    "Using ascii mode to transfer files.\n",
                    "ftp> type TENEX\n",
                    "TENEX: unknown mode\n",
                    "ftp> type a b\n",
                    "usage: type [",
                    " ascii",
                    " | binary",
                    " | image",
                    " | ebcdic",
                    " | tenex",
                    " ]\n",
                    "ftp> form\n",
                    "We only support non-print format, sorry.\n",
                    "ftp> struct\n",
                    "We only support file structure, sorry.\n",
                    "ftp> mode\n",
                    "We only support stream mode, sorry.\n",
                    "ftp> system\n",
                    "215 UNIX Type: L8\n",
                    "215 UNIX\n",
                    "ftp> system\n",
                    "215 UNIX Type: L8\n"}));
  EXPECT_EQ(
      server_.Received(),
      (Lines{"USER a\\x0d\\x0a", "PASS b\\x0d\\x0a", "CWD x\\x0d\\x0a", "XCWD x\\x0d\\x0a",
             "PWD\\x0d\\x0a", "XPWD\\x0d\\x0a", "CDUP\\x0d\\x0a", "MKD a_b\\x0d\\x0a",
             "XMKD a_b\\x0d\\x0a", "RMD y\\x0d\\x0a", "RNFR from\\x0d\\x0a", "RNTO to\\x0d\\x0a",
             "DELE gone\\x0d\\x0a", "TYPE E\\x0d\\x0a", "TYPE L 8\\x0d\\x0a", "TYPE I\\x0d\\x0a",
             "TYPE A\\x0d\\x0a", "SYST\\x0d\\x0a", "SYST\\x0d\\x0a"}));
}

TEST_F(ControlConnection, LoginSendsAPasswordAndAnAccountOnlyWhenAsked) {
  struct Case {
    const char* script;
    const char* command;
    Events reports;
    Lines received;
  } cases[] = {
      {"greet 220 Hi\\r\\n\non USER 331 Password\\r\\n\non PASS 332 Account\\r\\n\non ACCT 230 "
       "In\\r\\n\n",
       "user a b c",
       {"ftp> user a x c\n", "331 Password\n", "332 Account\n", "230 In\n"},
       {"USER a\\x0d\\x0a", "PASS b\\x0d\\x0a", "ACCT c\\x0d\\x0a"}},
      {"greet 220 Hi\\r\\n\non USER 331 Password\\r\\n\non PASS 332 Account\\r\\n\n",
       "user a b",
       {"ftp> user a x\n", "331 Password\n", "332 Account\n", "500 Login failed.\n"},
       {"USER a\\x0d\\x0a", "PASS b\\x0d\\x0a"}},
      {"greet 220 Hi\\r\\n\non USER 230 No password needed\\r\\n\n",
       "user a b c",
       {"ftp> user a x c\n", "230 No password needed\n"},
       {"USER a\\x0d\\x0a"}},
      {"greet 220 Hi\\r\\n\non USER 331 Password\\r\\n\non PASS 530 Wrong\\r\\n\n",
       "user a b",
       {"ftp> user a x\n", "331 Password\n", "530 Wrong\n", "500 Login failed.\n"},
       {"USER a\\x0d\\x0a", "PASS b\\x0d\\x0a"}},
      {"greet 220 Hi\\r\\n\n",
       "user a",
       {"ftp> user a\n", "usage: user username password account\n"},
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    Serve(c.script);
    Commands({open_});
    EXPECT_EQ(Commands({c.command}), c.reports);
    Commands({"quote NOOP"});  // the server has logged the login once it answers this
    Lines received = server_.Received();
    ASSERT_FALSE(received.empty());
    received.pop_back();
    EXPECT_EQ(received, c.received);
  }
}

// A name or path from a listing may hold a line end; sent as it is, what follows it
// would reach the server as a command of its own.
TEST_F(ControlConnection, NoCommandCarriesALineEndToTheServer) {
  Serve(std::string(kLoggedIn) + "on PWD 257 \"/\"\\r\\n\n");
  Commands({open_, "user a b"});
  const char* refused = "500 Command not sent: it holds a line end or a zero byte.\n";
  for (std::string command :
       {"cd \"a\r\nDELE x\"", "delete \"f\nRMD /\"", "quote \"NOOP\rDELE x\"", "mkdir \"a\r\"",
        "rename \"a\nDELE c\" b", "user \"a\r\nDELE x\" b"}) {
    Events reports = Commands({command});
    ASSERT_FALSE(reports.empty()) << command;
    EXPECT_EQ(Count(reports, refused), 1u) << command;
  }
  EXPECT_EQ(Commands({"pwd"}), (Events{"ftp> pwd\n", "257 \"/\"\n"}));
  EXPECT_EQ(server_.Received(), (Lines{"USER a\\x0d\\x0a", "PASS b\\x0d\\x0a", "PWD\\x0d\\x0a"}));
}

TEST_F(ControlConnection, ACancelEndsTheWaitForASilentServerAtOnce) {
  Serve("greet 220 Hi\\r\\n\non USER @silent\n");
  Commands({open_});
  controller_.Run(506);  // diagnostic lines on: the receive error shows its cause
  size_t mark = controller_.Mark();
  controller_.Send(503, "user a b");
  ASSERT_TRUE(controller_.ServeUntil(mark, [](const Events& e) { return e.size() >= 2; }));
  ASSERT_TRUE(testsupport::ServeUntil([&] { return !server_.Received().empty(); }));
  controller_.Send(512);
  ASSERT_TRUE(controller_.ServeUntil(
      mark, [](const Events& e) { return Count(e, "548"); }, 3000));
  EXPECT_EQ(controller_.Since(mark),
            (Events{"547", "ftp> user a x\n", "Error on sockrecv - err Interrupted system call\n",
                    "421 Service not available, remote server has closed connection\n",
                    "500 Login failed.\n", "548"}));
}

TEST_F(ControlConnection, ANameWithTwoAddressesIsTriedAtTheSecondWhenTheFirstRefuses) {
  Serve("greet 220 Second address\\r\\n\n", "127.0.0.2");
  std::string open = "open twohost " + std::to_string(server_.port());
  EXPECT_EQ(Commands({open}), (Events{"ftp> " + open + "\n", "201 connect to address 127.0.0.1: \n",
                                      "300 Trying 127.0.0.2...\n", "200 Connected to twohost.\n",
                                      "220 Second address\n"}));
}

// Ports above 32767 are ports like any other; numbers past 65535 name none.
TEST_F(ControlConnection, OpenTakesEveryTcpPortAndRefusesConnectingTwice) {
  Serve("greet 220 On 65535\\r\\n\n", "127.0.0.1", 65535);
  Events badPort;
  for (const char* port : {"0", "65536", "70000", "-1", "x"}) {
    badPort.push_back(std::string("ftp> open 127.0.0.1 ") + port + "\n");
    badPort.push_back(std::string("127.0.0.1: bad port number-- ") + port + "\n");
    badPort.push_back("usage: open host-name [port]\n");
  }
  EXPECT_EQ(Commands({"open 127.0.0.1 0", "open 127.0.0.1 65536", "open 127.0.0.1 70000",
                      "open 127.0.0.1 -1", "open 127.0.0.1 x"}),
            badPort);
  EXPECT_EQ(
      Commands({"open 127.0.0.1 65535", "open 127.0.0.1 21", "open", "close", "status"}),
      (Events{"ftp> open 127.0.0.1 65535\n", "200 Connected to 127.0.0.1.\n", "220 On 65535\n",
              "ftp> open 127.0.0.1 21\n", "Already connected to 127.0.0.1, use close first.\n",
              "ftp> open\n", "Already connected to 127.0.0.1, use close first.\n", "ftp> close\n",
              "502 Command not implemented.\n", "ftp> status\n", "530 Not connected.\n"}));
  EXPECT_EQ(
      Commands({"open", "open nosuchhost.invalid", "open 127.0.0.1 4465"}),
      (Events{"ftp> open\n", "(to) ", "usage: open host-name [port]\n",
              "ftp> open nosuchhost.invalid\n",
              "500 Could not lookup hostname \"nosuchhost.invalid\". \n",
              "ftp> open 127.0.0.1 4465\n", "504 socket connect error: Connection refused\n"}));
}

TEST_F(ControlConnection, WithoutAPortTheServicesPortOr21IsUsed) {
  struct Case {
    const char* services;
    int port;
  } cases[] = {{"ftp 2121/tcp\n", 2121}, {"ssh 22/tcp\n", 21}};
  for (const Case& c : cases) {
    std::string services = hopwiretest::ScratchDirectory("services") + "/services";
    FILE* f = fopen(services.c_str(), "w");
    ASSERT_TRUE(f);
    fputs(c.services, f);
    fclose(f);
    setenv("PLATFORM_SERVICES", services.c_str(), 1);
    FakeFtpServer server;
    ASSERT_TRUE(
        server.Start("greet 220 Port " + std::to_string(c.port) + "\\r\\n\n", "127.0.0.1", c.port));
    StartSlave();
    Events reports = Commands({"open 127.0.0.1"});
    EXPECT_EQ(Count(reports, "220 Port " + std::to_string(c.port) + "\n"), 1u) << c.port;
    unsetenv("PLATFORM_SERVICES");
  }
}

// A listing on a server of unknown type enters the directory first and lists it
// without an argument; once the type is known the directory goes with LIST. A
// transfer whose remote directory is refused never reaches the file of that name
// in whatever directory is current.
TEST_F(ControlConnection, ListingsAndTransfersEnterTheirDirectoryOrStop) {
  MapDriveC();
  std::ofstream(drive_ + "/up.txt") << "local";
  Serve(std::string(kLoggedIn) +
        "on CWD 250 Moved\\r\\n\n"
        "on CWD 550 No such directory\\r\\n\n"
        "on CWD 550 No such directory\\r\\n\n"
        "on CWD 550 No such directory\\r\\n\n"
        "on SYST 215 UNIX Type: L8\\r\\n\n"
        "on PORT 200 PORT ok\\r\\n\n"
        "on LIST 150 Here\\r\\n\ndata LIST send listed\\r\\n\nafter LIST 226 Done\\r\\n\n"
        "on NLST 150 Names\\r\\n\ndata NLST send name\\r\\n\nafter NLST 226 Done\\r\\n\n"
        "on RETR 550 No such file\\r\\n\n");
  unsetenv("PLATFORM_DRIVES");
  Events lines;
  for (const std::string& event :
       Commands({open_, "user a b", "dir sub", "ls nothere", "system", "dir sub", "nlist", "get f",
                 "put f g", "getx a b c", "getx gone/f 5 c:\\ 0", "putx c:\\up.txt 5 gone 0"})) {
    // Progress numbers (code=value) are another test's business.
    if (event.size() < 4 || event[3] != '=') lines.push_back(event);
  }
  EXPECT_EQ(lines, (Events{"ftp> " + open_ + "\n",
                           "200 Connected to 127.0.0.1.\n",
                           "220 Fake server\n",
                           "ftp> user a x\n",
                           "331 Password\n",
                           "230 In\n",
                           "ftp> dir sub\n",
                           "250 Moved\n",
                           "200 PORT ok\n",
                           "150 Here\n",
                           "listed\r\n",
                           "226 Done\n",
                           "ftp> ls nothere\n",
                           "550 No such directory\n",
                           "\n",
                           "ftp> system\n",
                           "215 UNIX Type: L8\n",
                           "215 UNIX\n",
                           "ftp> dir sub\n",
                           "200 PORT ok\n",
                           "150 Here\n",
                           "listed\r\n",
                           "226 Done\n",
                           "ftp> nlist\n",
                           "200 PORT ok\n",
                           "150 Names\n",
                           "name\r\n",
                           "226 Done\n",
                           "ftp> get f\n",
                           "local: f 1",
                           "remote: f\n",
                           "200 PORT ok\n",
                           "550 No such file\n",
                           "ftp> put f g\n",
                           "local: f: No such file or directory \n",
                           "ftp> getx a b c\n",
                           "Internal command, do not use.",
                           "ftp> getx gone/f 5 c:\\ 0\n",
                           "550 No such directory\n",
                           "500 Can't change to directory \"gone\".",
                           "ftp> putx c:\\up.txt 5 gone 0\n",
                           "550 No such directory\n",
                           "500 Can't change to directory \"gone\"."}));
  EXPECT_EQ(Count(server_.Received(), "LIST sub\\x0d\\x0a"), 1u);
  EXPECT_EQ(Count(server_.Received(), "RETR f\\x0d\\x0a"), 1u);  // the get's alone
  EXPECT_EQ(Count(server_.Received(), "STOR up.txt\\x0d\\x0a"), 0u);
}

}  // namespace
