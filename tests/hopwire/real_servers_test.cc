// Whole sessions through korftp and hopwire against real FTP servers, vsftpd and
// pyftpdlib, on loopback in the test's own network namespace: what korftp prints is
// the slave's echoes and lines and the servers' own lines, in the order they came.
#include <sys/stat.h>
#include <sys/wait.h>

#include <string>

#include "tests/hopwire/slave_session.h"

namespace {

using hopwiretest::PyftpdServer;
using hopwiretest::VsftpdServer;

class RealServers : public hopwiretest::SlaveSession {
 protected:
  void SetUp() override {
    SlaveSession::SetUp();
    controller_.CloseWindow();  // korftp is the controller here
  }

  std::string Korftp(const std::string& commands, int* status) {
    int raw = 0;
    std::string output = testsupport::Shell(
        std::string(KORFTP) + " -s " + HOPWIRE + " -c '" + commands + "' </dev/null", &raw);
    *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return output;
  }
};

constexpr char kStarted[] = "200 Initialization of Winsock succeeded\n";

TEST_F(RealServers, AVsftpdSessionShowsTheServersOwnLinesInOrder) {
  if (!VsftpdServer::Available()) GTEST_SKIP() << "vsftpd cannot run here";
  VsftpdServer server;
  ASSERT_TRUE(server.Start(2121, "Scratch server ready."));
  int status = -1;
  std::string output = Korftp(
      "open 127.0.0.1 2121; user tester secret; user anonymous guest@; pwd; cd pub; "
      "mkdir \"new dir\"; cd new_dir; cdup; rename new_dir kept; rmdir kept; mkdir gone; "
      "rmdir gone; delete nothere; system; status; type; ascii; binary; image; tenex; "
      "type ascii; quote HELP; pwd; quote FEAT; cd pub; help cd; close; "
      "open 127.0.0.1 2121; user ftp x; pwd; system; bye",
      &status);
  EXPECT_EQ(output, std::string(kStarted) +
                        "ftp> open 127.0.0.1 2121\n"
                        "200 Connected to 127.0.0.1.\n"
                        "220 Scratch server ready.\n"
                        "ftp> user tester xxxxxx\n"
                        "530 This FTP server is anonymous only.\n"
                        "500 Login failed.\n"
                        "ftp> user anonymous xxxxxx\n"
                        "331 Please specify the password.\n"
                        "230 Login successful.\n"
                        "ftp> pwd\n"
                        "257 \"/\" is the current directory\n"
                        "ftp> cd pub\n"
                        "250 Directory successfully changed.\n"
                        "ftp> mkdir \"new dir\"\n"
                        "257 \"/pub/new_dir\" created\n"
                        "ftp> cd new_dir\n"
                        "250 Directory successfully changed.\n"
                        "ftp> cdup\n"
                        "250 Directory successfully changed.\n"
                        "ftp> rename new_dir kept\n"
                        "350 Ready for RNTO.\n"
                        "250 Rename successful.\n"
                        "ftp> rmdir kept\n"
                        "250 Remove directory operation successful.\n"
                        "ftp> mkdir gone\n"
                        "257 \"/pub/gone\" created\n"
                        "ftp> rmdir gone\n"
                        "250 Remove directory operation successful.\n"
                        "ftp> delete nothere\n"
                        "550 Delete operation failed.\n"
                        "ftp> system\n"
                        "215 UNIX Type: L8\n"
                        "215 UNIX\n"
                        "ftp> status\n"
                        "200 Connected to 127.0.0.1.\n"
                        "ftp> type\n"
                        "Using ascii mode to transfer files.\n"
                        "ftp> ascii\n"
                        "200 Switching to ASCII mode.\n"
                        "ftp> binary\n"
                        "200 Switching to Binary mode.\n"
                        "ftp> image\n"
                        "200 Switching to Binary mode.\n"
                        "ftp> tenex\n"
                        "200 Switching to Binary mode.\n"
                        "ftp> type ascii\n"
                        "200 Switching to ASCII mode.\n"
                        // The indented lines stay in their replies, and the next
                        // command gets its own.
                        "ftp> quote HELP\n"
                        "300 sending quoted command HELP (null)\n"
                        "214-The following commands are recognized.\n"
                        " ABOR ACCT ALLO APPE CDUP CWD  DELE EPRT EPSV FEAT HELP LIST MDTM MKD\n"
                        " MODE NLST NOOP OPTS PASS PASV PORT PWD  QUIT REIN REST RETR RMD  RNFR\n"
                        " RNTO SITE SIZE SMNT STAT STOR STOU STRU SYST TYPE USER XCUP XCWD XMKD\n"
                        " XPWD XRMD\n"
                        "214 Help OK.\n"
                        "ftp> pwd\n"
                        "257 \"/pub\" is the current directory\n"
                        "ftp> quote FEAT\n"
                        "300 sending quoted command FEAT (null)\n"
                        "211-Features:\n"
                        " EPRT\n"
                        " EPSV\n"
                        " MDTM\n"
                        " PASV\n"
                        " REST STREAM\n"
                        " SIZE\n"
                        " TVFS\n"
                        "211 End\n"
                        "ftp> cd pub\n"
                        "550 Failed to change directory.\n"
                        "ftp> help cd\n"
                        "cd        \tchange remote working directory\n"
                        "214 Help complete.\n"
                        "ftp> close\n"
                        "221 Goodbye.\n"
                        "ftp> open 127.0.0.1 2121\n"
                        "200 Connected to 127.0.0.1.\n"
                        "220 Scratch server ready.\n"
                        "ftp> user ftp x\n"
                        "331 Please specify the password.\n"
                        "230 Login successful.\n"
                        "ftp> pwd\n"
                        "257 \"/\" is the current directory\n"
                        "ftp> system\n"
                        "215 UNIX Type: L8\n"
                        "215 UNIX\n"
                        "ftp> bye\n"
                        "221 Goodbye.\n");
  EXPECT_EQ(status, 0);
  struct stat pub;
  ASSERT_EQ(stat((server.root() + "/pub").c_str(), &pub), 0);
  EXPECT_NE(stat((server.root() + "/pub/new_dir").c_str(), &pub), 0);
}

TEST_F(RealServers, APyftpdlibSessionShowsTheServersOwnLinesInOrder) {
  PyftpdServer server;
  ASSERT_TRUE(server.Start("tester", "secret", "--syst Windows_NT"));
  std::string open = "open 127.0.0.1 " + std::to_string(server.port());
  int status = -1;
  std::string output =
      Korftp(open +
                 "; user tester wrong; user tester secret; mkdir \"a b\"; cd a_b; cdup; "
                 "rename a_b c; system; quote FEAT; pwd; rmdir c; system; close; status; " +
                 open + "; user tester secret; bye",
             &status);
  EXPECT_EQ(output, std::string(kStarted) + "ftp> " + open +
                        "\n"
                        "200 Connected to 127.0.0.1.\n"
                        "220 pyftpdlib 1.5.7 ready.\n"
                        "ftp> user tester xxxxx\n"
                        "331 Username ok, send password.\n"
                        "530 Authentication failed.\n"
                        "500 Login failed.\n"
                        "ftp> user tester xxxxxx\n"
                        "331 Username ok, send password.\n"
                        "230 Login successful.\n"
                        "ftp> mkdir \"a b\"\n"
                        "257 \"/a_b\" directory created.\n"
                        "ftp> cd a_b\n"
                        "250 \"/a_b\" is the current directory.\n"
                        "ftp> cdup\n"
                        "250 \"/\" is the current directory.\n"
                        "ftp> rename a_b c\n"
                        "350 Ready for destination name.\n"
                        "250 Renaming ok.\n"
                        "ftp> system\n"
                        "215 Windows_NT\n"
                        "215 Windows_NT\n"
                        "ftp> quote FEAT\n"
                        "300 sending quoted command FEAT (null)\n"
                        "211-Features supported:\n"
                        " EPRT\n"
                        " EPSV\n"
                        " MDTM\n"
                        " MFMT\n"
                        " MLST type*;perm*;size*;modify*;unique*;unix.mode;unix.uid;unix.gid;\n"
                        " REST STREAM\n"
                        " SIZE\n"
                        " TVFS\n"
                        " UTF8\n"
                        "211 End FEAT.\n"
                        "ftp> pwd\n"
                        "257 \"/\" is the current directory.\n"
                        "ftp> rmdir c\n"
                        "250 Directory removed.\n"
                        "ftp> system\n"
                        "215 Windows_NT\n"
                        "ftp> close\n"
                        "221 Goodbye.\n"
                        "ftp> status\n"
                        "530 Not connected.\n"
                        "ftp> " +
                        open +
                        "\n"
                        "200 Connected to 127.0.0.1.\n"
                        "220 pyftpdlib 1.5.7 ready.\n"
                        "ftp> user tester xxxxxx\n"
                        "331 Username ok, send password.\n"
                        "230 Login successful.\n"
                        "ftp> bye\n"
                        "221 Goodbye.\n");
  EXPECT_EQ(status, 0);
  struct stat root;
  ASSERT_EQ(stat(server.root().c_str(), &root), 0);
  EXPECT_NE(stat((server.root() + "/c").c_str(), &root), 0);
}

}  // namespace
